#include "prefs/StyleForm.h"

#include "platform/TrimmedText.h"

#include "app/DataModule1.h"
#include "app/StyleRegistry.h"
#include "app/TopLevelErrorHandler.h"
#include "settings/IniFile.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace corvel {

namespace {

const QString kCaption = QStringLiteral("Style Form");
constexpr int kItemHeight = 19;

} // namespace

TStyleForm::TStyleForm(TDataModule1 &dataModule, const Services &services, QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(13);
    setFont(tahoma);
    setFixedSize(253, 101);

    Label1 = new QLabel(QStringLiteral("Chose Style"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 233, 16);

    Button1 = new QPushButton(QStringLiteral("Set Style"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(8, 61, 75, 25);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(166, 61, 75, 25);

    cb_Styles = new QComboBox(this);
    cb_Styles->setObjectName(QStringLiteral("cb_Styles"));
    cb_Styles->setGeometry(8, 30, 233, 25);
    // The default popup delegate ignores item size hints; this one honours the fixed row height.
    cb_Styles->setItemDelegate(new QStyledItemDelegate(cb_Styles));
    cb_Styles->setAccessibleName(Label1->text());
    Label1->setBuddy(cb_Styles);

    setTabOrder(Button1, Button2);
    setTabOrder(Button2, cb_Styles);

    connect(Button1, &QPushButton::clicked, this,
            [this] { TopLevelErrorHandler::guard(m_services.dialogs, [&] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TStyleForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    TopLevelErrorHandler::guard(m_services.dialogs, [&] { FormActivate(); });
}

void TStyleForm::FormActivate()
{
    QStringList names = StyleRegistry::styleNames();
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    cb_Styles->clear();
    cb_Styles->addItems(names);
    for (int i = 0; i < cb_Styles->count(); ++i)
        cb_Styles->setItemData(i, QSize(0, kItemHeight), Qt::SizeHintRole);
    cb_Styles->setCurrentIndex(
        cb_Styles->findText(m_dataModule.ChoosenStyle, Qt::MatchFixedString));
}

void TStyleForm::Button1Click()
{
    StyleRegistry::applyStyle(StyleRegistry::kPlainStyle, true, m_services.dialogs);
    StyleRegistry::applyStyle(cb_Styles->currentText(), true, m_services.dialogs);
    UpdateIniFile();
    accept();
}

void TStyleForm::UpdateIniFile()
{
    const QString style = trimmedText(cb_Styles->currentText());
    IniFile(m_dataModule.settingsPath())
        .writeString(QStringLiteral("ChoosenStyle"), QStringLiteral("Style"), style);
    m_dataModule.ChoosenStyle = style;
}

} // namespace corvel
