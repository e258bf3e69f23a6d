#include "prefs/CorvelDefaultsForm.h"

#include "platform/TrimmedText.h"

#include "app/DataModule1.h"
#include "app/TopLevelErrorHandler.h"
#include "platform/DialogService.h"
#include "prefs/IPv4AddressEdit.h"
#include "settings/IniFile.h"
#include "settings/WorkstationSettings.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvel {

namespace {

const QString kCaption = QStringLiteral("This PC Defaults");
const QString kSaved = QStringLiteral("Defaults Changed Successfully!");
const QString kFolderNote = QStringLiteral("The user should have read access to the folder");
const QString kNo = QStringLiteral("No");
const QString kYes = QStringLiteral("Yes");
const QString kShowNo = QStringLiteral("0");

const QString kDatabase = QStringLiteral("Database");
const QString kPhoto = QStringLiteral("Photo");
const QString kPassport = QStringLiteral("Passport");
const QString kRP = QStringLiteral("RP");
const QString kDistribution = QStringLiteral("Distribution_Pathes");
const QString kPortal = QStringLiteral("CorvelPortal");

constexpr int kLabelAbove = 22;
constexpr int kLabelHeight = 16;

int showIndex(const QString &stored)
{
    return stored == kShowNo ? 0 : 1;
}

} // namespace

TCorvelDefaultsForm::TCorvelDefaultsForm(TDataModule1 &dataModule, const Services &services,
                                         QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(13);
    setFont(tahoma);
    setFixedSize(537, 348);
    buildControls();
    TopLevelErrorHandler::guard(m_services.dialogs, [&] { FormCreate(); });
}

void TCorvelDefaultsForm::buildControls()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    panel->setGeometry(3, 3, 126, height() - 6);
    Panel1 = panel;

    btn_Save = new QPushButton(QStringLiteral("Save Changes"), Panel1);
    btn_Save->setObjectName(QStringLiteral("btn_Save"));
    btn_Save->setGeometry(10, 8, 105, 33);
    btn_Close = new QPushButton(QStringLiteral("Close"), Panel1);
    btn_Close->setObjectName(QStringLiteral("btn_Close"));
    btn_Close->setGeometry(10, Panel1->height() - 8 - 33, 105, 33);
    for (QPushButton *button : {btn_Save, btn_Close})
        button->setAutoDefault(false);

    edt_Catalog = addEdit(QStringLiteral("edt_Catalog"), QRect(144, 48, 185, 24));
    addLabel(QStringLiteral("Label1"), QStringLiteral("Database Catalog"), edt_Catalog);

    edt_Source = new IPv4AddressEdit(this);
    edt_Source->setObjectName(QStringLiteral("edt_Source"));
    edt_Source->setGeometry(335, 48, 185, 24);
    edt_Source->setLabel(QStringLiteral("Database Server IP"));
    addLabel(QStringLiteral("Label2"), QStringLiteral("Database Server IP"), edt_Source);

    cb_PhotoShow = addShowList(QStringLiteral("cb_PhotoShow"), QRect(144, 100, 100, 22));
    addLabel(QStringLiteral("Label3"), QStringLiteral("Show Photo"), cb_PhotoShow);
    edt_PhotoPath = addEdit(QStringLiteral("edt_PhotoPath"), QRect(250, 100, 237, 24));
    addLabel(QStringLiteral("Label4"), QStringLiteral("Photos Path"), edt_PhotoPath);
    btn_PhotoPath = addFolderButton(QStringLiteral("btn_PhotoPath"), QRect(493, 100, 27, 25),
                                    QStringLiteral("Photos Path"));

    cb_PassportShow = addShowList(QStringLiteral("cb_PassportShow"), QRect(144, 152, 100, 22));
    addLabel(QStringLiteral("Label5"), QStringLiteral("Show Passport"), cb_PassportShow);
    edt_PassportPath = addEdit(QStringLiteral("edt_PassportPath"), QRect(250, 152, 237, 24));
    addLabel(QStringLiteral("Label6"), QStringLiteral("Passports Path"), edt_PassportPath);
    btn_PassportPath = addFolderButton(QStringLiteral("btn_PassportPath"), QRect(493, 152, 27, 25),
                                       QStringLiteral("Passports Path"));

    cb_RPShow = addShowList(QStringLiteral("cb_RPShow"), QRect(144, 204, 100, 22));
    addLabel(QStringLiteral("Label7"), QStringLiteral("Show RPs"), cb_RPShow);
    edt_RPPath = addEdit(QStringLiteral("edt_RPPath"), QRect(250, 204, 237, 24));
    addLabel(QStringLiteral("Label8"), QStringLiteral("RPs Path"), edt_RPPath);
    btn_RPPath = addFolderButton(QStringLiteral("btn_RPPath"), QRect(493, 204, 27, 25),
                                 QStringLiteral("RPs Path"));

    edt_SharedFolder_Path =
        addEdit(QStringLiteral("edt_SharedFolder_Path"), QRect(144, 256, 343, 24));
    addLabel(QStringLiteral("Label9"), QStringLiteral("Upgrade Path"), edt_SharedFolder_Path);
    btn_SharedFolder_Path =
        addFolderButton(QStringLiteral("btn_SharedFolder_Path"), QRect(493, 256, 27, 25),
                        QStringLiteral("Upgrade Path"));

    edt_CorvelPortal_URL =
        addEdit(QStringLiteral("edt_CorvelPortal_URL"), QRect(144, 308, 376, 24));
    addLabel(QStringLiteral("Label10"), QStringLiteral("Corvel Portal URL"), edt_CorvelPortal_URL);

    // Folders are mostly browsed for, so Tab passes over their boxes; a click still types in them.
    for (QLineEdit *folder : {edt_PhotoPath, edt_PassportPath, edt_RPPath, edt_SharedFolder_Path})
        folder->setFocusPolicy(Qt::ClickFocus);

    const QList<QWidget *> tabOrder{edt_Catalog,
                                    edt_Source,
                                    cb_PhotoShow,
                                    edt_PhotoPath,
                                    btn_PhotoPath,
                                    cb_PassportShow,
                                    edt_PassportPath,
                                    btn_PassportPath,
                                    cb_RPShow,
                                    edt_RPPath,
                                    btn_RPPath,
                                    edt_SharedFolder_Path,
                                    btn_SharedFolder_Path,
                                    edt_CorvelPortal_URL,
                                    btn_Save,
                                    btn_Close};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));
    edt_Catalog->setFocus();

    connect(btn_Save, &QPushButton::clicked, this,
            [this] { TopLevelErrorHandler::guard(m_services.dialogs, [&] { btn_SaveClick(); }); });
    connect(btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    const auto browse = [this](QPushButton *button, void (TCorvelDefaultsForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] {
            TopLevelErrorHandler::guard(m_services.dialogs, [&] { (this->*handler)(); });
        });
    };
    browse(btn_PhotoPath, &TCorvelDefaultsForm::btn_PhotoPathClick);
    browse(btn_PassportPath, &TCorvelDefaultsForm::btn_PassportPathClick);
    browse(btn_RPPath, &TCorvelDefaultsForm::btn_RPPathClick);
    browse(btn_SharedFolder_Path, &TCorvelDefaultsForm::btn_SharedFolder_PathClick);
}

QLabel *TCorvelDefaultsForm::addLabel(const QString &name, const QString &caption, QWidget *field)
{
    auto *label = new QLabel(caption, this);
    label->setObjectName(name);
    label->setGeometry(field->x(), field->y() - kLabelAbove, field->width(), kLabelHeight);
    label->setBuddy(field);
    if (field->accessibleName().isEmpty())
        field->setAccessibleName(caption);
    return label;
}

QLineEdit *TCorvelDefaultsForm::addEdit(const QString &name, const QRect &geometry)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    return edit;
}

QComboBox *TCorvelDefaultsForm::addShowList(const QString &name, const QRect &geometry)
{
    auto *list = new QComboBox(this);
    list->setObjectName(name);
    list->addItems({kNo, kYes});
    list->setGeometry(geometry);
    return list;
}

QPushButton *TCorvelDefaultsForm::addFolderButton(const QString &name, const QRect &geometry,
                                                  const QString &field)
{
    auto *button = new QPushButton(QStringLiteral("..."), this);
    button->setObjectName(name);
    // "..." alone tells a screen reader's user nothing.
    button->setAccessibleName(QStringLiteral("Browse for ") + field);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

void TCorvelDefaultsForm::FormCreate()
{
    const IniFile ini(m_dataModule.settingsPath());
    edt_Catalog->setText(ini.readString(kDatabase, QStringLiteral("Catalog"), QString()));
    m_storedSource = ini.readString(kDatabase, QStringLiteral("Source"), QString());
    edt_Source->setText(m_storedSource);
    m_shownSource = edt_Source->text();
    cb_PhotoShow->setCurrentIndex(
        showIndex(ini.readString(kPhoto, QStringLiteral("PhotoShow"), kShowNo)));
    edt_PhotoPath->setText(ini.readString(kPhoto, QStringLiteral("PhotoPath"), QString()));
    cb_PassportShow->setCurrentIndex(
        showIndex(ini.readString(kPassport, QStringLiteral("PassportShow"), kShowNo)));
    edt_PassportPath->setText(ini.readString(kPassport, QStringLiteral("PassportPath"), QString()));
    cb_RPShow->setCurrentIndex(showIndex(ini.readString(kRP, QStringLiteral("RPShow"), kShowNo)));
    edt_RPPath->setText(ini.readString(kRP, QStringLiteral("RPPath"), QString()));
    edt_SharedFolder_Path->setText(
        ini.readString(kDistribution, QStringLiteral("SharedFolder_Path"), QString()));
    edt_CorvelPortal_URL->setText(
        ini.readString(kPortal, QStringLiteral("URL"), settings::kDefaultPortalUrl));
}

void TCorvelDefaultsForm::btn_SaveClick()
{
    IniFile ini(m_dataModule.settingsPath());
    const auto write = [&ini](const QString &section, const QString &key, const QString &value) {
        ini.writeString(section, key, trimmedText(value));
    };
    write(kDatabase, QStringLiteral("Catalog"), edt_Catalog->text());
    write(kDatabase, QStringLiteral("Source"), sourceToSave());
    write(kPhoto, QStringLiteral("PhotoShow"), QString::number(cb_PhotoShow->currentIndex()));
    write(kPhoto, QStringLiteral("PhotoPath"), edt_PhotoPath->text());
    write(kPassport, QStringLiteral("PassportShow"),
          QString::number(cb_PassportShow->currentIndex()));
    write(kPassport, QStringLiteral("PassportPath"), edt_PassportPath->text());
    write(kRP, QStringLiteral("RPShow"), QString::number(cb_RPShow->currentIndex()));
    write(kRP, QStringLiteral("RPPath"), edt_RPPath->text());
    write(kDistribution, QStringLiteral("SharedFolder_Path"), edt_SharedFolder_Path->text());
    write(kPortal, QStringLiteral("URL"), edt_CorvelPortal_URL->text());
    m_services.dialogs.showPlain(kSaved);
}

// The address editor can only show dotted addresses, but Source may name a server or a named
// instance; an address the user did not touch goes back as it was stored.
QString TCorvelDefaultsForm::sourceToSave() const
{
    const QString stored = trimmedText(m_storedSource);
    if (!stored.isEmpty() && edt_Source->text() == m_shownSource)
        return stored;
    return edt_Source->text();
}

void TCorvelDefaultsForm::btn_PhotoPathClick()
{
    chooseFolder(QStringLiteral("Choose Photos Path"), edt_PhotoPath);
}

void TCorvelDefaultsForm::btn_PassportPathClick()
{
    chooseFolder(QStringLiteral("Choose Passports Path"), edt_PassportPath);
}

void TCorvelDefaultsForm::btn_RPPathClick()
{
    chooseFolder(QStringLiteral("Choose RPs Path"), edt_RPPath);
}

void TCorvelDefaultsForm::btn_SharedFolder_PathClick()
{
    chooseFolder(QStringLiteral("Choose Upgrade Path"), edt_SharedFolder_Path);
}

void TCorvelDefaultsForm::chooseFolder(const QString &title, QLineEdit *field)
{
    // The folder chosen last wins; before any, the browser opens at the box's own folder.
    const QString start =
        m_lastChosenFolder.isEmpty() ? trimmedText(field->text()) : m_lastChosenFolder;
    const QString chosen = m_services.dialogs.chooseFolder(title, kFolderNote, start);
    if (chosen.isEmpty())
        return;
    m_lastChosenFolder = chosen;
    QString folder = QDir::toNativeSeparators(chosen);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    field->setText(folder);
}

} // namespace corvel
