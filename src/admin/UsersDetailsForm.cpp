#include "admin/UsersDetailsForm.h"

#include "platform/TrimmedText.h"

#include "admin/AdminText.h"
#include "app/TopLevelErrorHandler.h"
#include "platform/DialogService.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvel {

namespace {

const QString kCreateCaption = QStringLiteral("Create New Corvel User");
const QString kModifyCaption = QStringLiteral("Modify Corvel User");
const QString kUserIdEmpty = QStringLiteral("User ID is Empty !");
const QString kUserIdHasSpaces = QStringLiteral("User ID Should Not Have Spaces !!");

// The columns hold 50 characters; a longer text would be cut or refused by the database.
constexpr int kColumnLength = 50;

} // namespace

TUsersDetailsForm::TUsersDetailsForm(const Services &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    setFixedSize(464, 261);
}

void TUsersDetailsForm::buildControls()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    panel->setFixedWidth(120);
    btn_OK = new QPushButton(QStringLiteral("Confirm"), panel);
    btn_OK->setObjectName(QStringLiteral("btn_OK"));
    btn_OK->setDefault(true);
    btn_Cancel = new QPushButton(QStringLiteral("Cancel"), panel);
    btn_Cancel->setObjectName(QStringLiteral("btn_Cancel"));
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(btn_OK);
    panelLayout->addStretch();
    panelLayout->addWidget(btn_Cancel);

    auto *fields = new QGridLayout;
    fields->setVerticalSpacing(12);
    const auto addRow = [&](int row, const QString &caption, const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaxLength(kColumnLength);
        auto *label = new QLabel(caption, this);
        label->setBuddy(edit);
        edit->setAccessibleName(caption);
        fields->addWidget(label, row, 0);
        fields->addWidget(edit, row, 1);
        return edit;
    };
    edt_UserName = addRow(0, QStringLiteral("User ID:"), "edt_UserName");
    edt_Password = addRow(1, QStringLiteral("Password:"), "edt_Password");
    edt_Password->setEchoMode(QLineEdit::Password);
    edt_Password->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    edt_Password->setReadOnly(true);
    edt_UserFullName = addRow(2, QStringLiteral("User Full Name:"), "edt_UserFullName");
    edt_UserDepartment = addRow(3, QStringLiteral("User Department:"), "edt_UserDepartment");
    chk_isActive = new QCheckBox(QStringLiteral("is Active ?"), this);
    chk_isActive->setObjectName(QStringLiteral("chk_isActive"));
    chk_isActive->setAccessibleName(chk_isActive->text());
    fields->addWidget(chk_isActive, 4, 1);
    fields->setRowStretch(5, 1);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 12, 0);
    layout->setSpacing(12);
    layout->addWidget(panel);
    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 16, 0, 8);
    right->addLayout(fields);
    layout->addLayout(right, 1);

    // The panel was built first, but the fields come before its buttons.
    const QList<QWidget *> tabOrder{edt_UserName,       edt_Password, edt_UserFullName,
                                    edt_UserDepartment, chk_isActive, btn_OK,
                                    btn_Cancel};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));

    connect(btn_OK, &QPushButton::clicked, this, &TUsersDetailsForm::btn_OKClick);
    connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TUsersDetailsForm::prepareCreate(const QString &defaultPassword)
{
    setWindowTitle(kCreateCaption);
    edt_UserName->setReadOnly(false);
    edt_UserName->clear();
    edt_Password->setText(defaultPassword);
    edt_UserFullName->clear();
    edt_UserDepartment->clear();
    chk_isActive->setChecked(true);
    edt_UserName->setFocus();
}

void TUsersDetailsForm::prepareModify(const Details &user)
{
    setWindowTitle(kModifyCaption);
    edt_UserName->setReadOnly(true);
    edt_UserName->setText(user.userName);
    edt_Password->setText(user.password);
    edt_UserFullName->setText(user.fullName);
    edt_UserDepartment->setText(user.department);
    chk_isActive->setChecked(user.isActive);
    edt_UserFullName->setFocus();
}

TUsersDetailsForm::Details TUsersDetailsForm::details() const
{
    return {trimmedText(edt_UserName->text()), trimmedText(edt_Password->text()),
            trimmedText(edt_UserFullName->text()), trimmedText(edt_UserDepartment->text()),
            chk_isActive->isChecked()};
}

QString TUsersDetailsForm::userIdProblem(const QString &userId)
{
    const QString id = trimmedText(userId);
    if (id.isEmpty())
        return kUserIdEmpty;
    // Only the blank itself: a tab inside an id has always been accepted.
    if (id.contains(u' '))
        return kUserIdHasSpaces;
    return {};
}

void TUsersDetailsForm::btn_OKClick()
{
    TopLevelErrorHandler::guard(m_services.dialogs, [&] {
        const QString problem = userIdProblem(edt_UserName->text());
        if (!problem.isEmpty()) {
            m_services.dialogs.showPlain(problem);
            return;
        }
        accept();
    });
}

} // namespace corvel
