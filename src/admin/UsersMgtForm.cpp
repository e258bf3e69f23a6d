#include "admin/UsersMgtForm.h"

#include "admin/AdminText.h"
#include "app/DataModule1.h"
#include "app/TopLevelErrorHandler.h"
#include "data/SnapshotTableModel.h"
#include "platform/DialogService.h"
#include "platform/Error.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace corvel {

const QString TUsersMgtForm::kDefaultPassword = QStringLiteral("Pq5710");

const QString TUsersMgtForm::kUsersSql = QStringLiteral("Select * From Users\r\n"
                                                        "Order By UserName");
const QString TUsersMgtForm::kAddUserSql = QStringLiteral(
    "Insert Into Users\r\n"
    "(UserName, Password, Style, User_FullName, User_Department, isActive, Created_Date, "
    "Created_By)\r\n"
    "Values\r\n"
    "(:UserName, :Password, 'Windows', :User_FullName, :User_Department, :isActive, GetDate(), "
    ":Created_By)");
const QString TUsersMgtForm::kModifySql = QStringLiteral("Update Users\r\n"
                                                         "Set User_FullName = :User_FullName\r\n"
                                                         ", User_Department = :User_Department\r\n"
                                                         ", isActive = :isActive\r\n"
                                                         ", Created_Date = GetDate()\r\n"
                                                         ", Created_By = :Created_By\r\n"
                                                         "Where UserName = :UserName");
const QString TUsersMgtForm::kResetPasswordSql = QStringLiteral("Update Users\r\n"
                                                                "Set Password = '%1'\r\n"
                                                                "Where UserName = :UserName")
                                                     .arg(kDefaultPassword);

namespace {

const QString kCaption = QStringLiteral("Users Management Form");
const QString kUserCreated = QStringLiteral("New user created successfully, The Password is ") +
                             TUsersMgtForm::kDefaultPassword;
const QString kUserModified = QStringLiteral("The User Was Modified successfully!");
const QString kPasswordReset =
    QStringLiteral("User Password has been changed to ") + TUsersMgtForm::kDefaultPassword;
const QString kChangeFailed = QStringLiteral("Somthing went wrong: \n\r");
// An update that found no row must not pass for a done change.
const QString kUserNotFound = QStringLiteral("User Not Found");
const QString kDateFormat = QStringLiteral("dd/MM/yyyy");

constexpr int kUserIdColumnWidth = 284;

} // namespace

TUsersMgtForm::TUsersMgtForm(TDataModule1 &dataModule, const Services &services, QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services),
      UsersQ(dataModule.ADOConnection1, kUsersSql),
      Comm_AddUser(dataModule.ADOConnection1, kAddUserSql),
      Comm_Modify(dataModule.ADOConnection1, kModifySql),
      comm_ResetPassword(dataModule.ADOConnection1, kResetPasswordSql)
{
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    setFixedSize(915, 288);
}

TUsersMgtForm::~TUsersMgtForm() = default;

void TUsersMgtForm::buildControls()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    panel->setFixedWidth(130);
    const auto addButton = [panel](const QString &text, const char *name) {
        auto *button = new QPushButton(text, panel);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        return button;
    };
    btn_Add = addButton(QStringLiteral("Add New User"), "btn_Add");
    btn_Modify = addButton(QStringLiteral("Modify User"), "btn_Modify");
    btn_ResetPassword = addButton(QStringLiteral("Reset Password"), "btn_ResetPassword");
    btn_Close = addButton(QStringLiteral("Close"), "btn_Close");
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(btn_Add);
    panelLayout->addWidget(btn_Modify);
    panelLayout->addWidget(btn_ResetPassword);
    panelLayout->addStretch();
    panelLayout->addWidget(btn_Close);

    m_usersModel = new SnapshotTableModel(
        UsersQ, {{QStringLiteral("UserName"), QStringLiteral("User ID"), Qt::AlignCenter}}, this);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Users"));
    DBGrid1->setModel(m_usersModel);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setTabKeyNavigation(false);
    // Fixed row heights keep a list of thousands of users as quick as a short one.
    DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid1->horizontalHeader()->setHighlightSections(false);
    // The one column fills the grid, leaving no dead band beside it.
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->setColumnWidth(0, kUserIdColumnWidth);
    DBGrid1->setFixedWidth(kUserIdColumnWidth + 2 * DBGrid1->frameWidth() +
                           DBGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
    // The "always visible" selection: an inactive grid paints it as an active one.
    QPalette palette = DBGrid1->palette();
    palette.setBrush(QPalette::Inactive, QPalette::Highlight,
                     palette.brush(QPalette::Active, QPalette::Highlight));
    palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                     palette.brush(QPalette::Active, QPalette::HighlightedText));
    DBGrid1->setPalette(palette);

    auto *fields = new QGridLayout;
    fields->setVerticalSpacing(14);
    const auto addBox = [&](int row, const QString &caption, const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        auto *label = new QLabel(caption, this);
        label->setBuddy(edit);
        edit->setAccessibleName(caption);
        fields->addWidget(label, row, 0);
        fields->addWidget(edit, row, 1);
        return edit;
    };
    DBEdit1 = addBox(0, QStringLiteral("User ID"), "DBEdit1");
    DBEdit2 = addBox(1, QStringLiteral("User Full Name"), "DBEdit2");
    DBEdit3 = addBox(2, QStringLiteral("User Department"), "DBEdit3");
    DBEdit4 = addBox(3, QStringLiteral("Created / Modified Date"), "DBEdit4");
    DBEdit5 = addBox(4, QStringLiteral("Created / Modified By"), "DBEdit5");
    DBCheckBox1 = new QCheckBox(QStringLiteral("is Active"), this);
    DBCheckBox1->setObjectName(QStringLiteral("DBCheckBox1"));
    DBCheckBox1->setAccessibleName(DBCheckBox1->text());
    fields->addWidget(DBCheckBox1, 0, 2);
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(5, 1);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 12, 0);
    layout->setSpacing(12);
    layout->addWidget(panel);
    layout->addWidget(DBGrid1);
    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 16, 0, 8);
    right->addLayout(fields);
    layout->addLayout(right, 1);

    connect(btn_Add, &QPushButton::clicked, this, &TUsersMgtForm::btn_AddClick);
    connect(btn_Modify, &QPushButton::clicked, this, &TUsersMgtForm::btn_ModifyClick);
    connect(btn_ResetPassword, &QPushButton::clicked, this, &TUsersMgtForm::btn_ResetPasswordClick);
    connect(btn_Close, &QPushButton::clicked, this, &QDialog::close);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { followGrid(current.row()); });
    // Read-only like the boxes beside it: the flag changes through Modify User, which records
    // who changed it and when.
    connect(DBCheckBox1, &QCheckBox::clicked, this, &TUsersMgtForm::showCurrentUser);
}

void TUsersMgtForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        TopLevelErrorHandler::guard(m_services.dialogs, [&] { FormActivate(); });
}

void TUsersMgtForm::FormActivate()
{
    reloadUsers();
}

void TUsersMgtForm::reloadUsers()
{
    UsersQ.close();
    // An empty grid rather than rows the closed query no longer has, should reopening fail.
    m_usersModel->reload();
    UsersQ.open();
    m_usersModel->reload();
    selectUser(QString());
}

// Selects the user's row, or keeps the query's current row when there is none.
void TUsersMgtForm::selectUser(const QString &userName)
{
    if (!userName.isEmpty())
        UsersQ.locate(QStringLiteral("UserName"), userName);
    if (!UsersQ.isEmpty()) {
        const QModelIndex index = m_usersModel->index(UsersQ.currentRow(), 0);
        DBGrid1->setCurrentIndex(index);
        DBGrid1->scrollTo(index);
    }
    showCurrentUser();
}

void TUsersMgtForm::followGrid(int row)
{
    if (row < 0)
        return;
    UsersQ.setCurrentRow(row);
    showCurrentUser();
}

TUsersDetailsForm::Details TUsersMgtForm::currentUser() const
{
    if (!UsersQ.isOpen() || UsersQ.isEmpty())
        return {};
    return {UsersQ.text(QStringLiteral("UserName")), UsersQ.text(QStringLiteral("Password")),
            UsersQ.text(QStringLiteral("User_FullName")),
            UsersQ.text(QStringLiteral("User_Department")),
            UsersQ.boolean(QStringLiteral("isActive"))};
}

void TUsersMgtForm::showCurrentUser()
{
    const TUsersDetailsForm::Details user = currentUser();
    const bool hasRow = UsersQ.isOpen() && !UsersQ.isEmpty();
    DBEdit1->setText(user.userName);
    DBEdit2->setText(user.fullName);
    DBEdit3->setText(user.department);
    DBEdit4->setText(hasRow ? UsersQ.dateTime(QStringLiteral("Created_Date")).toString(kDateFormat)
                            : QString());
    DBEdit5->setText(hasRow ? UsersQ.text(QStringLiteral("Created_By")) : QString());
    DBCheckBox1->setChecked(user.isActive);
}

void TUsersMgtForm::btn_AddClick()
{
    TopLevelErrorHandler::guard(m_services.dialogs, [&] {
        TUsersDetailsForm details(m_services, this);
        details.prepareCreate(kDefaultPassword);
        if (details.exec() == QDialog::Accepted)
            addUser(details.details());
    });
}

void TUsersMgtForm::btn_ModifyClick()
{
    TopLevelErrorHandler::guard(m_services.dialogs, [&] {
        TUsersDetailsForm details(m_services, this);
        details.prepareModify(currentUser());
        if (details.exec() == QDialog::Accepted)
            modifyUser(details.details());
    });
}

void TUsersMgtForm::btn_ResetPasswordClick()
{
    TopLevelErrorHandler::guard(m_services.dialogs, [&] { resetPassword(); });
}

void TUsersMgtForm::addUser(const TUsersDetailsForm::Details &user)
{
    applyChange(
        [&] {
            Comm_AddUser.setParameter(QStringLiteral("UserName"), user.userName);
            Comm_AddUser.setParameter(QStringLiteral("Password"), user.password);
            Comm_AddUser.setParameter(QStringLiteral("User_FullName"), user.fullName);
            Comm_AddUser.setParameter(QStringLiteral("User_Department"), user.department);
            Comm_AddUser.setParameter(QStringLiteral("isActive"), user.isActive);
            Comm_AddUser.setParameter(QStringLiteral("Created_By"), m_dataModule.Current_UserID);
            Comm_AddUser.execute();
        },
        [&] {
            reloadUsers();
            selectUser(user.userName);
            m_services.dialogs.showPlain(kUserCreated);
        });
}

void TUsersMgtForm::modifyUser(const TUsersDetailsForm::Details &user)
{
    applyChange(
        [&] {
            Comm_Modify.setParameter(QStringLiteral("User_FullName"), user.fullName);
            Comm_Modify.setParameter(QStringLiteral("User_Department"), user.department);
            Comm_Modify.setParameter(QStringLiteral("isActive"), user.isActive);
            Comm_Modify.setParameter(QStringLiteral("Created_By"), m_dataModule.Current_UserID);
            Comm_Modify.setParameter(QStringLiteral("UserName"), user.userName);
            Comm_Modify.execute();
            if (Comm_Modify.rowsAffected() == 0)
                throw Error(kUserNotFound);
        },
        [&] {
            reloadUsers();
            selectUser(user.userName);
            m_services.dialogs.showPlain(kUserModified);
        });
}

void TUsersMgtForm::resetPassword()
{
    applyChange(
        [&] {
            if (!UsersQ.isOpen() || UsersQ.isEmpty())
                throw Error(kUserNotFound);
            comm_ResetPassword.setParameter(QStringLiteral("UserName"),
                                            UsersQ.text(QStringLiteral("UserName")));
            comm_ResetPassword.execute();
            if (comm_ResetPassword.rowsAffected() == 0)
                throw Error(kUserNotFound);
        },
        [&] { m_services.dialogs.showPlain(kPasswordReset); });
}

// A failure before the commit is rolled back and reported; one after it is not reported, since
// the change is stored by then.
void TUsersMgtForm::applyChange(const std::function<void()> &change,
                                const std::function<void()> &afterCommit)
{
    Connection &connection = m_dataModule.ADOConnection1;
    bool committed = false;
    try {
        // A connection dropped by an earlier failure is opened again, as a query would.
        connection.ensureOpen();
        connection.beginTransaction();
        change();
        connection.commit();
        committed = true;
        afterCommit();
    } catch (...) {
        if (committed)
            return;
        const QString message = admin::currentErrorMessage();
        if (connection.inTransaction())
            connection.rollback();
        m_services.dialogs.showPlain(kChangeFailed + message);
    }
}

} // namespace corvel
