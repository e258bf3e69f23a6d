#include "FileSizeLimit.h"
#include "SettingsFiles.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "settings/IniFile.h"
#include "settings/SettingsWriteError.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

namespace {

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class SettingsFaultTest : public QObject
{
    Q_OBJECT

private slots:
    // However far the new file gets before the disk is full, the old one stays whole and no
    // half-written copy is left beside it.
    void writeStoppedAtAnyByteKeepsTheOldFileWhole_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");

        QTest::newRow("8-bit, value changed")
            << QByteArray("[Database]\r\nUserName=corvel\r\nCatalog=CorvelHR\r\nSource=10.0.0.5\r\n"
                          "[ChoosenStyle]\r\nStyle=Lavender Classico\r\n")
            << QStringLiteral("ChoosenStyle") << QStringLiteral("Style")
            << QStringLiteral("Charcoal Dark Slate");
        QTest::newRow("8-bit, section added")
            << QByteArray("; workstation 12\r\n[Database]\r\nCatalog=CorvelHR\r\n")
            << QStringLiteral("Distribution_Pathes") << QStringLiteral("SharedFolder_Path")
            << QStringLiteral("\\\\server\\dist\\");
        QByteArray utf16("\xff\xfe", 2);
        for (const QChar c : QStringLiteral("[CorvelPortal]\r\nURL=https://portal/\r\n"))
            utf16 += QByteArray(reinterpret_cast<const char *>(&c), 2);
        QTest::newRow("UTF-16, value changed")
            << utf16 << QStringLiteral("CorvelPortal") << QStringLiteral("URL")
            << QStringLiteral("https://بوابة.example/");
    }
    void writeStoppedAtAnyByteKeepsTheOldFileWhole()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        writeBytes(path, before);
        IniFile ini(path);

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
