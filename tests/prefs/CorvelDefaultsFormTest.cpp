#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "prefs/CorvelDefaultsForm.h"
#include "prefs/IPv4AddressEdit.h"
#include "settings/IniFile.h"
#include "settings/WorkstationSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace corvel;
using corvel::test::RecordingShell;
using corvel::test::ScriptedDialogService;
using corvel::test::Workstation;

namespace {

// One workstation with the dialog open on it.
struct Fixture
{
    explicit Fixture(const QByteArray &settings = QByteArray())
    {
        if (!settings.isNull())
            workstation.writeSettings(settings);
        form = std::make_unique<TCorvelDefaultsForm>(dataModule, services);
    }

    template <typename T> T *child(const char *name) const
    {
        T *widget = form->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QLineEdit *edit(const char *name) const { return child<QLineEdit>(name); }
    QComboBox *list(const char *name) const { return child<QComboBox>(name); }
    IPv4AddressEdit *source() const { return child<IPv4AddressEdit>("edt_Source"); }
    void click(const char *name) const
    {
        QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton);
    }
    QString stored(const QString &section, const QString &key) const
    {
        return IniFile(workstation.settingsPath())
            .readString(section, key, QStringLiteral("<absent>"));
    }

    Workstation workstation;
    TDataModule1 dataModule{workstation.launcherPath()};
    ScriptedDialogService dialogs;
    RecordingShell shell;
    Services services{dialogs, shell};
    std::unique_ptr<TCorvelDefaultsForm> form;
};

const QByteArray kFullSettings =
    "[ChoosenStyle]\r\nStyle=Sky\r\n"
    "[Database]\r\nUserName=sa\r\nCatalog=CorvelHR\r\nSource=10.1.2.3\r\n"
    "[Photo]\r\nPhotoShow=1\r\nPhotoPath=\\\\srv\\photos\\\r\n"
    "[Passport]\r\nPassportShow=0\r\nPassportPath=P:\\pass\\\r\n"
    "[RP]\r\nRPShow=1\r\nRPPath=R:\\rp\\\r\n"
    "[Distribution_Pathes]\r\nSharedFolder_Path=\\\\srv\\dist\\\r\n"
    "[CorvelPortal]\r\nURL=https://intra.example/\r\n";

} // namespace

class CorvelDefaultsFormTest : public QObject
{
    Q_OBJECT

private slots:
    void opensWithTheStoredValues();
    void showValueMeansNoOnlyWhenExactlyZero_data();
    void showValueMeansNoOnlyWhenExactlyZero();
    void storedSourceIsShownByTheAddressRuleAndKeptUnlessEdited_data();
    void storedSourceIsShownByTheAddressRuleAndKeptUnlessEdited();
    void editedSourceIsSavedAsTheDottedAddress();
    void firstSaveWritesAllTenKeysInTheirSections();
    void savedTextsLoseSurroundingBlanks();
    void typedFolderIsSavedAsTyped();
    void browsedFolderEndsWithSeparatorAndIsPreselectedNextTime();
    void cancelledBrowseKeepsTheText();
    void failedWriteShowsTheErrorAndKeepsTheDialogOpen();
    void tabVisitsTheFieldsInOrderAndSkipsFolderBoxes();
    void everyFieldCarriesItsLabelsName();
    void opensWithTheFocusInTheCatalogBox();
    void folderButtonsAreAnnouncedByTheFieldTheyFill_data();
    void folderButtonsAreAnnouncedByTheFieldTheyFill();
    void browserStartsAtTheBoxsFolderUntilOneIsChosen();
};

void CorvelDefaultsFormTest::opensWithTheStoredValues()
{
    Fixture f(kFullSettings);
    QCOMPARE(f.edit("edt_Catalog")->text(), QStringLiteral("CorvelHR"));
    QCOMPARE(f.source()->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(f.list("cb_PhotoShow")->currentText(), QStringLiteral("Yes"));
    QCOMPARE(f.edit("edt_PhotoPath")->text(), QStringLiteral("\\\\srv\\photos\\"));
    QCOMPARE(f.list("cb_PassportShow")->currentText(), QStringLiteral("No"));
    QCOMPARE(f.edit("edt_PassportPath")->text(), QStringLiteral("P:\\pass\\"));
    QCOMPARE(f.list("cb_RPShow")->currentText(), QStringLiteral("Yes"));
    QCOMPARE(f.edit("edt_RPPath")->text(), QStringLiteral("R:\\rp\\"));
    QCOMPARE(f.edit("edt_SharedFolder_Path")->text(), QStringLiteral("\\\\srv\\dist\\"));
    QCOMPARE(f.edit("edt_CorvelPortal_URL")->text(), QStringLiteral("https://intra.example/"));
    QVERIFY(f.dialogs.boxes().isEmpty());

    // Untouched values go back as they were, the user name and style included.
    const QByteArray before = f.workstation.readSettings();
    f.click("btn_Save");
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("Defaults Changed Successfully!")});
    QCOMPARE(f.dialogs.boxes().first().caption, QStringLiteral("Corvel Launcher"));
    QCOMPARE(f.workstation.readSettings(), before);
}

void CorvelDefaultsFormTest::showValueMeansNoOnlyWhenExactlyZero_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("saved");
    QTest::newRow("0") << QByteArray("PhotoShow=0\r\n") << "No"
                       << "0";
    QTest::newRow("1") << QByteArray("PhotoShow=1\r\n") << "Yes"
                       << "1";
    QTest::newRow("Yes") << QByteArray("PhotoShow=Yes\r\n") << "Yes"
                         << "1";
    QTest::newRow("No") << QByteArray("PhotoShow=No\r\n") << "Yes"
                        << "1";
    QTest::newRow("empty") << QByteArray("PhotoShow=\r\n") << "Yes"
                           << "1";
    QTest::newRow("absent") << QByteArray() << "No"
                            << "0";
}

void CorvelDefaultsFormTest::showValueMeansNoOnlyWhenExactlyZero()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, shown);
    QFETCH(QString, saved);
    Fixture f("[Photo]\r\n" + line);
    QComboBox *list = f.list("cb_PhotoShow");
    QCOMPARE(list->currentText(), shown);
    QVERIFY(!list->isEditable());
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->itemText(0), QStringLiteral("No"));
    f.click("btn_Save");
    QCOMPARE(f.stored(QStringLiteral("Photo"), QStringLiteral("PhotoShow")), saved);
}

void CorvelDefaultsFormTest::storedSourceIsShownByTheAddressRuleAndKeptUnlessEdited_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("saved");
    QTest::newRow("dotted address") << QByteArray("Source=192.168.0.7\r\n") << "192.168.0.7"
                                    << "192.168.0.7";
    QTest::newRow("zero address") << QByteArray("Source=0.0.0.0\r\n") << "0.0.0.0"
                                  << "0.0.0.0";
    QTest::newRow("absent") << QByteArray() << "0.0.0.0"
                            << "0.0.0.0";
    QTest::newRow("empty") << QByteArray("Source=\r\n") << "0.0.0.0"
                           << "0.0.0.0";
    QTest::newRow("named instance") << QByteArray("Source=10.0.0.5\\SQLEXPRESS\r\n") << "10.0.0.0"
                                    << "10.0.0.5\\SQLEXPRESS";
    QTest::newRow("host name") << QByteArray("Source=dbserver\r\n") << "0.0.0.0"
                               << "dbserver";
    QTest::newRow("five parts") << QByteArray("Source=1.2.3.4.5\r\n") << "1.2.3.0"
                                << "1.2.3.4.5";
    QTest::newRow("part above 255") << QByteArray("Source=256.1.1.1\r\n") << "0.1.1.1"
                                    << "256.1.1.1";
}

void CorvelDefaultsFormTest::storedSourceIsShownByTheAddressRuleAndKeptUnlessEdited()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, shown);
    QFETCH(QString, saved);
    Fixture f("[Database]\r\nCatalog=CorvelHR\r\n" + line);
    QCOMPARE(f.source()->text(), shown);
    f.click("btn_Save");
    QCOMPARE(f.stored(QStringLiteral("Database"), QStringLiteral("Source")), saved);
}

void CorvelDefaultsFormTest::editedSourceIsSavedAsTheDottedAddress()
{
    Fixture f("[Database]\r\nSource=10.0.0.5\\SQLEXPRESS\r\n");
    QLineEdit *last = f.source()->field(3);
    last->selectAll();
    QTest::keyClicks(last, QStringLiteral("9"));
    f.click("btn_Save");
    QCOMPARE(f.stored(QStringLiteral("Database"), QStringLiteral("Source")),
             QStringLiteral("10.0.0.9"));
}

void CorvelDefaultsFormTest::firstSaveWritesAllTenKeysInTheirSections()
{
    // What the first start leaves behind.
    Fixture f("[ChoosenStyle]\r\nStyle=Lavender Classico\r\n");
    QCOMPARE(f.edit("edt_CorvelPortal_URL")->text(), settings::kDefaultPortalUrl);
    f.dataModule.CorvelPortal_URL = QStringLiteral("https://read.at.start/");
    f.click("btn_Save");
    QCOMPARE(f.dialogs.lastText(), QStringLiteral("Defaults Changed Successfully!"));

    const QString text = QString::fromLatin1(f.workstation.readSettings());
    QStringList sections;
    for (const QString &line : text.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'['))
            sections << line;
    }
    QCOMPARE(sections, (QStringList{"[ChoosenStyle]", "[Database]", "[Photo]", "[Passport]", "[RP]",
                                    "[Distribution_Pathes]", "[CorvelPortal]"}));
    QVERIFY(!text.contains(QStringLiteral("UserName"), Qt::CaseInsensitive));
    const QList<QPair<QString, QString>> expected{
        {"Database/Catalog", ""},
        {"Database/Source", "0.0.0.0"},
        {"Photo/PhotoShow", "0"},
        {"Photo/PhotoPath", ""},
        {"Passport/PassportShow", "0"},
        {"Passport/PassportPath", ""},
        {"RP/RPShow", "0"},
        {"RP/RPPath", ""},
        {"Distribution_Pathes/SharedFolder_Path", ""},
        {"CorvelPortal/URL", settings::kDefaultPortalUrl},
    };
    for (const auto &[key, value] : expected) {
        const QStringList parts = key.split(u'/');
        QCOMPARE(f.stored(parts.at(0), parts.at(1)), value);
    }
    QCOMPARE(f.stored(QStringLiteral("ChoosenStyle"), QStringLiteral("Style")),
             QStringLiteral("Lavender Classico"));
    // The session keeps what it read at start until the file is read again.
    QCOMPARE(f.dataModule.CorvelPortal_URL, QStringLiteral("https://read.at.start/"));
    QVERIFY(f.form->result() != QDialog::Accepted);
}

void CorvelDefaultsFormTest::savedTextsLoseSurroundingBlanks()
{
    Fixture f;
    f.edit("edt_Catalog")->setText(QStringLiteral("  CorvelHR \t"));
    f.edit("edt_PhotoPath")->setText(QStringLiteral(" D:\\Photos\\  "));
    f.edit("edt_CorvelPortal_URL")->setText(QStringLiteral(" https://hr.example/ "));
    f.click("btn_Save");
    QCOMPARE(f.stored(QStringLiteral("Database"), QStringLiteral("Catalog")),
             QStringLiteral("CorvelHR"));
    QCOMPARE(f.stored(QStringLiteral("Photo"), QStringLiteral("PhotoPath")),
             QStringLiteral("D:\\Photos\\"));
    QCOMPARE(f.stored(QStringLiteral("CorvelPortal"), QStringLiteral("URL")),
             QStringLiteral("https://hr.example/"));
}

void CorvelDefaultsFormTest::typedFolderIsSavedAsTyped()
{
    Fixture f;
    QLineEdit *upgrade = f.edit("edt_SharedFolder_Path");
    upgrade->setFocus();
    QTest::keyClicks(upgrade, QStringLiteral("/srv/dist"));
    f.click("btn_Save");
    QCOMPARE(f.stored(QStringLiteral("Distribution_Pathes"), QStringLiteral("SharedFolder_Path")),
             QStringLiteral("/srv/dist"));
}

void CorvelDefaultsFormTest::browsedFolderEndsWithSeparatorAndIsPreselectedNextTime()
{
    Fixture f;
    const QString photos = QDir::fromNativeSeparators(f.workstation.folder()) + "photos";
    const QString reports = QDir::fromNativeSeparators(f.workstation.folder()) + "reports";
    f.edit("edt_RPPath")->setText(QStringLiteral("/not/where/the/browser/starts"));
    f.dialogs.chooseFolderNext(photos);
    f.click("btn_PhotoPath");
    f.dialogs.chooseFolderNext(reports);
    f.click("btn_RPPath");
    f.click("btn_SharedFolder_Path"); // cancelled
    f.click("btn_PassportPath");      // cancelled

    QCOMPARE(f.edit("edt_PhotoPath")->text(), QDir::toNativeSeparators(photos) + QDir::separator());
    QCOMPARE(f.edit("edt_RPPath")->text(), QDir::toNativeSeparators(reports) + QDir::separator());
    const auto &requests = f.dialogs.folderRequests();
    QCOMPARE(requests.size(), 4);
    const QStringList titles{"Choose Photos Path", "Choose RPs Path", "Choose Upgrade Path",
                             "Choose Passports Path"};
    const QStringList selected{"", photos, reports, reports};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(requests.at(i).title, titles.at(i));
        QCOMPARE(requests.at(i).note,
                 QStringLiteral("The user should have read access to the folder"));
        QCOMPARE(requests.at(i).selected, selected.at(i));
    }
    // Nothing reaches the file before Save.
    QCOMPARE(f.workstation.readSettings(), QByteArray());
    f.click("btn_Save");
    QCOMPARE(f.stored(QStringLiteral("Photo"), QStringLiteral("PhotoPath")),
             QDir::toNativeSeparators(photos) + QDir::separator());
}

void CorvelDefaultsFormTest::cancelledBrowseKeepsTheText()
{
    Fixture f("[Passport]\r\nPassportPath=P:\\pass\\\r\n");
    f.click("btn_PassportPath");
    QCOMPARE(f.edit("edt_PassportPath")->text(), QStringLiteral("P:\\pass\\"));
    QVERIFY(f.dialogs.boxes().isEmpty());
}

void CorvelDefaultsFormTest::failedWriteShowsTheErrorAndKeepsTheDialogOpen()
{
    Fixture f;
    // A folder where the file should be cannot be written as a file.
    QVERIFY(QDir().mkpath(f.workstation.settingsPath()));
    f.form->show();
    f.edit("edt_Catalog")->setText(QStringLiteral("CorvelHR"));
    f.click("btn_Save");
    QCOMPARE(f.dialogs.boxes().size(), 1);
    const MessageBoxSpec box = f.dialogs.boxes().first();
    QCOMPARE(box.caption, QStringLiteral("Corvel Launcher"));
    QCOMPARE(box.icon, MessageIcon::Error);
    QCOMPARE(box.text, QStringLiteral("Unable to write to %1.").arg(f.workstation.settingsPath()));
    QVERIFY(f.form->isVisible());
    QCOMPARE(f.edit("edt_Catalog")->text(), QStringLiteral("CorvelHR"));
}

void CorvelDefaultsFormTest::tabVisitsTheFieldsInOrderAndSkipsFolderBoxes()
{
    Fixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    f.edit("edt_Catalog")->setFocus();
    const QStringList expected{"edt_Catalog",
                               "field1",
                               "cb_PhotoShow",
                               "btn_PhotoPath",
                               "cb_PassportShow",
                               "btn_PassportPath",
                               "cb_RPShow",
                               "btn_RPPath",
                               "btn_SharedFolder_Path",
                               "edt_CorvelPortal_URL",
                               "btn_Save",
                               "btn_Close"};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, expected);

    // Skipped by Tab, still typeable after a click.
    QLineEdit *photos = f.edit("edt_PhotoPath");
    QTest::mouseClick(photos, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), photos);
    QTest::keyClicks(photos, QStringLiteral("X:\\"));
    QCOMPARE(photos->text(), QStringLiteral("X:\\"));
}

void CorvelDefaultsFormTest::everyFieldCarriesItsLabelsName()
{
    Fixture f;
    const QList<QPair<const char *, const char *>> pairs{{"Label1", "edt_Catalog"},
                                                         {"Label2", "edt_Source"},
                                                         {"Label3", "cb_PhotoShow"},
                                                         {"Label4", "edt_PhotoPath"},
                                                         {"Label5", "cb_PassportShow"},
                                                         {"Label6", "edt_PassportPath"},
                                                         {"Label7", "cb_RPShow"},
                                                         {"Label8", "edt_RPPath"},
                                                         {"Label9", "edt_SharedFolder_Path"},
                                                         {"Label10", "edt_CorvelPortal_URL"}};
    for (const auto &[labelName, fieldName] : pairs) {
        const QLabel *label = f.child<QLabel>(labelName);
        const QWidget *field = f.child<QWidget>(fieldName);
        QCOMPARE(label->buddy(), field);
        QCOMPARE(field->accessibleName(), label->text());
        QCOMPARE(label->geometry().left(), field->geometry().left());
        QCOMPARE(field->geometry().top() - label->geometry().top(), 22);
    }
    QCOMPARE(f.form->size(), QSize(537, 348));
    QCOMPARE(f.child<QWidget>("edt_Source")->geometry(), QRect(335, 48, 185, 24));
}

void CorvelDefaultsFormTest::opensWithTheFocusInTheCatalogBox()
{
    Fixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    QCOMPARE(QApplication::focusWidget(), f.edit("edt_Catalog"));
}

void CorvelDefaultsFormTest::folderButtonsAreAnnouncedByTheFieldTheyFill_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::newRow("photos") << "btn_PhotoPath"
                            << "Browse for Photos Path";
    QTest::newRow("passports") << "btn_PassportPath"
                               << "Browse for Passports Path";
    QTest::newRow("RPs") << "btn_RPPath"
                         << "Browse for RPs Path";
    QTest::newRow("upgrades") << "btn_SharedFolder_Path"
                              << "Browse for Upgrade Path";
}

void CorvelDefaultsFormTest::folderButtonsAreAnnouncedByTheFieldTheyFill()
{
    QFETCH(QString, button);
    QFETCH(QString, name);
    Fixture f;
    QCOMPARE(f.child<QPushButton>(qPrintable(button))->accessibleName(), name);
}

void CorvelDefaultsFormTest::browserStartsAtTheBoxsFolderUntilOneIsChosen()
{
    Fixture f("[Passport]\r\nPassportPath= /srv/passports/ \r\n");
    f.click("btn_PassportPath"); // cancelled
    QCOMPARE(f.dialogs.folderRequests().size(), 1);
    QCOMPARE(f.dialogs.folderRequests().first().selected, QStringLiteral("/srv/passports/"));
}

CORVEL_TEST(CorvelDefaultsFormTest)
#include "CorvelDefaultsFormTest.moc"
