#include "FileSizeLimit.h"
#include "SettingsFiles.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "settings/IniFile.h"
#include "settings/SettingsWriteError.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

namespace {

bool chattr(const QString &flag, const QString &path)
{
    return QProcess::execute(QStringLiteral("chattr"), {flag, path}) == 0;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

void addStopRows(bool inPlace)
{
    const char *where = inPlace ? ", in place" : "";
    QTest::addRow("8-bit, value changed%s", where)
        << QByteArray("[Database]\r\nUserName=corvel\r\nCatalog=CorvelHR\r\nSource=10.0.0.5\r\n"
                      "[ChoosenStyle]\r\nStyle=Lavender Classico\r\n")
        << QStringLiteral("ChoosenStyle") << QStringLiteral("Style")
        << QStringLiteral("Charcoal Dark Slate") << inPlace;
    QTest::addRow("8-bit, section added%s", where)
        << QByteArray("; workstation 12\r\n[Database]\r\nCatalog=CorvelHR\r\n")
        << QStringLiteral("Distribution_Pathes") << QStringLiteral("SharedFolder_Path")
        << QStringLiteral("\\\\server\\dist\\") << inPlace;
    QByteArray utf16("\xff\xfe", 2);
    for (const QChar c : QStringLiteral("[CorvelPortal]\r\nURL=https://portal/\r\n"))
        utf16 += QByteArray(reinterpret_cast<const char *>(&c), 2);
    QTest::addRow("UTF-16, value changed%s", where)
        << utf16 << QStringLiteral("CorvelPortal") << QStringLiteral("URL")
        << QStringLiteral("https://بوابة.example/") << inPlace;
}

} // namespace

class SettingsFaultTest : public QObject
{
    Q_OBJECT

private slots:
    // However far the new file gets before the disk is full, the old one stays whole and no
    // half-written copy is left beside it; so too where the folder takes no new file and the
    // file is rewritten in place.
    void writeStoppedAtAnyByteKeepsTheOldFileWhole_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("inPlace");
        for (const bool inPlace : {false, true})
            addStopRows(inPlace);
    }
    void writeStoppedAtAnyByteKeepsTheOldFileWhole()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, inPlace);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        writeBytes(path, before);
        IniFile ini(path);
        if (inPlace && !chattr(QStringLiteral("+i"), dir.path()))
            QSKIP("chattr +i is not available here");
        auto unlock = qScopeGuard([&] {
            if (inPlace)
                chattr(QStringLiteral("-i"), dir.path());
        });

        // The rewrite is at most a line longer than the file; every shorter stop is a failure.
        const int longest = before.size() + 2 * (section.size() + key.size() + value.size() + 8);
        int failures = 0;
        for (int stop = 0; stop < longest; ++stop) {
            bool failed = false;
            {
                const FileSizeLimit limit{rlim_t(stop)};
                try {
                    ini.writeString(section, key, value);
                } catch (const SettingsWriteError &error) {
                    failed = true;
                    QCOMPARE(error.message(), QStringLiteral("Unable to write to ") + path);
                }
            }
            if (!failed)
                break;
            ++failures;
            QCOMPARE(readBytes(path), before);
            QCOMPARE(filesIn(dir.path()), QStringList{"Workers.ini"});
            QCOMPARE(ini.readString(section, key, QStringLiteral("absent")),
                     IniFile(path).readString(section, key, QStringLiteral("absent")));
        }
        QVERIFY(failures > before.size() / 2);

        ini.writeString(section, key, value);
        QCOMPARE(ini.readString(section, key, QString()), value);
        QCOMPARE(filesIn(dir.path()), QStringList{"Workers.ini"});
    }

    void fileCreationStoppedLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        for (int stop = 0; stop < 30; ++stop) {
            const FileSizeLimit limit{rlim_t(stop)};
            QVERIFY_THROWS_EXCEPTION(
                SettingsWriteError,
                IniFile(path).writeString(QStringLiteral("ChoosenStyle"), QStringLiteral("Style"),
                                          QStringLiteral("Lavender Classico")));
            QVERIFY(filesIn(dir.path()).isEmpty());
        }
    }

    // The first start writes the default style before it connects; a full disk then stops the
    // attempt with nothing lost, and the next attempt, with room again, connects.
    void firstStartOnAFullDiskConnectsOnceThereIsRoom()
    {
        Workstation workstation;
        workstation.useSeededDatabase();
        const QByteArray before =
            "[Database]\r\nEngine=SQLite\r\nCatalog=corvel.db\r\n[ChoosenStyle]\r\n";
        workstation.writeSettings(before);
        TDataModule1 dataModule(workstation.launcherPath());
        {
            const FileSizeLimit limit{rlim_t(before.size())};
            try {
                dataModule.DataModuleCreate();
                QFAIL("the connection was attempted");
            } catch (const SettingsWriteError &error) {
                QCOMPARE(error.message(), QStringLiteral("Unable to write to ") +
                                              QDir::toNativeSeparators(workstation.settingsPath()));
            }
        }
        QCOMPARE(workstation.readSettings(), before);
        QVERIFY(!dataModule.ADOConnection1.isOpen());

        dataModule.DataModuleCreate();
        QVERIFY(dataModule.ADOConnection1.isOpen());
        QCOMPARE(dataModule.ChoosenStyle, QStringLiteral("Lavender Classico"));
        QCOMPARE(workstation.readSettings(), before + "Style=Lavender Classico\r\n");
    }
};

CORVEL_TEST(SettingsFaultTest)
#include "SettingsFaultTest.moc"
