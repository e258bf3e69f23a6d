#include "FileSizeLimit.h"
#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "prefs/CorvelDefaultsForm.h"
#include "settings/IniFile.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

namespace {

const QByteArray kStored = "[ChoosenStyle]\r\nStyle=Sky\r\n"
                           "[Database]\r\nUserName=sa\r\nCatalog=HR\r\nSource=10.1.2.3\r\n"
                           "[Photo]\r\nPhotoShow=1\r\nPhotoPath=p\r\n"
                           "[Passport]\r\nPassportShow=1\r\nPassportPath=q\r\n"
                           "[RP]\r\nRPShow=1\r\nRPPath=r\r\n"
                           "[Distribution_Pathes]\r\nSharedFolder_Path=d\r\n"
                           "[CorvelPortal]\r\nURL=https://a/\r\n";

struct Field
{
    const char *box; // empty for the keys the user leaves as they are
    const char *section;
    const char *key;
    const char *before;
    const char *after;
};

// In the order Save writes them; every typed value is longer than the stored one, so the file
// grows with each write.
const Field kFields[] = {
    {"edt_Catalog", "Database", "Catalog", "HR", "CorvelHumanResources"},
    {"", "Database", "Source", "10.1.2.3", "10.1.2.3"},
    {"", "Photo", "PhotoShow", "1", "1"},
    {"edt_PhotoPath", "Photo", "PhotoPath", "p", "\\\\server\\photos\\"},
    {"", "Passport", "PassportShow", "1", "1"},
    {"edt_PassportPath", "Passport", "PassportPath", "q", "\\\\server\\passports\\"},
    {"", "RP", "RPShow", "1", "1"},
    {"edt_RPPath", "RP", "RPPath", "r", "\\\\server\\residence-permits\\"},
    {"edt_SharedFolder_Path", "Distribution_Pathes", "SharedFolder_Path", "d",
     "\\\\server\\distribution\\"},
    {"edt_CorvelPortal_URL", "CorvelPortal", "URL", "https://a/", "https://portal.example/"},
};

} // namespace

class PrefsFaultTest : public QObject
{
    Q_OBJECT

private slots:
    // A save that runs out of room part-way keeps every value it wrote and none of the rest,
    // each in a whole file, reports the failure, and succeeds when tried again with room.
    void saveStoppedAtAnyPointLeavesAWholeFile()
    {
        Workstation workstation;
        workstation.writeSettings(kStored);
        TDataModule1 dataModule(workstation.launcherPath());
        ScriptedDialogService dialogs;
        RecordingShell shell;
        TCorvelDefaultsForm form(dataModule, Services{dialogs, shell});
        form.show();
        for (const Field &field : kFields) {
            if (*field.box != '\0')
                form.findChild<QLineEdit *>(QLatin1String(field.box))
                    ->setText(QString::fromLatin1(field.after));
        }
        auto *save = form.findChild<QPushButton *>(QStringLiteral("btn_Save"));
        const QString failure =
            QStringLiteral("Unable to write to %1.").arg(workstation.settingsPath());
        const IniFile ini(workstation.settingsPath());

        int lastWritten = 0;
        for (int stop = 0;; ++stop) {
            workstation.writeSettings(kStored);
            dialogs.clear();
            {
                const FileSizeLimit limit{rlim_t(stop)};
                QTest::mouseClick(save, Qt::LeftButton);
            }
            QCOMPARE(dialogs.boxes().size(), 1);
            if (dialogs.lastText() != failure) {
                QCOMPARE(dialogs.lastText(), QStringLiteral("Defaults Changed Successfully!"));
                QCOMPARE(lastWritten, 5);
                break;
            }
            QVERIFY(form.isVisible());
            // The values written so far are the first ones of the save, and only those.
            int written = 0;
            bool gap = false;
            for (const Field &field : kFields) {
                if (QLatin1String(field.before) == QLatin1String(field.after))
                    continue;
                const QString value = ini.readString(QString::fromLatin1(field.section),
                                                     QString::fromLatin1(field.key), QString());
                if (value == QLatin1String(field.after)) {
                    QVERIFY2(!gap, field.key);
                    ++written;
                } else {
                    QCOMPARE(value, QString::fromLatin1(field.before));
                    gap = true;
                }
            }
            QVERIFY(written >= lastWritten);
            lastWritten = written;
            QCOMPARE(ini.readString(QStringLiteral("ChoosenStyle"), QStringLiteral("Style"), {}),
                     QStringLiteral("Sky"));
            QCOMPARE(ini.readString(QStringLiteral("Database"), QStringLiteral("UserName"), {}),
                     QStringLiteral("sa"));
            QVERIFY(stop < 2 * kStored.size());
        }
        for (const Field &field : kFields) {
            QCOMPARE(ini.readString(QString::fromLatin1(field.section),
                                    QString::fromLatin1(field.key), QString()),
                     QString::fromLatin1(field.after));
        }
    }
};

CORVEL_TEST(PrefsFaultTest)
#include "PrefsFaultTest.moc"
