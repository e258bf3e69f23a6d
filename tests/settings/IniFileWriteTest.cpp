#include "SettingsFiles.h"
#include "TestRegistry.h"
#include "settings/IniFile.h"
#include "settings/SettingsWriteError.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using corvel::IniFile;
using corvel::test::readBytes;
using corvel::test::writeBytes;

class IniFileWriteTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString iniPath() const { return m_dir.filePath(QStringLiteral("Workers.ini")); }

    static bool chattr(const QString &flag, const QString &path)
    {
        return QProcess::execute(QStringLiteral("chattr"), {flag, path}) == 0;
    }

private slots:
    void init() { QFile::remove(iniPath()); }

    void writesByProfileRules_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        auto row = [](const char *name, const QByteArray &before, const QString &section,
                      const QString &key, const QString &value, const QByteArray &after) {
            QTest::newRow(name) << before << section << key << value << after;
        };
        row("empty file", QByteArray(), "ChoosenStyle", "Style", "Lavender Classico",
            "[ChoosenStyle]\r\nStyle=Lavender Classico\r\n");
        row("existing key rewritten in its own spelling", "[A]\r\n  sTyLe = \"old\" \r\nB=1\r\n",
            "a", "Style", "new", "[A]\r\nsTyLe=new\r\nB=1\r\n");
        row("empty value written", "[A]\r\nk=old\r\n", "A", "k", "", "[A]\r\nk=\r\n");
        row("first duplicate rewritten", "[A]\r\nk=1\r\nk=2\r\n", "A", "k", "3",
            "[A]\r\nk=3\r\nk=2\r\n");
        row("new key after the last non-blank line of its section",
            "[A]\r\nx=1\r\n\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3",
            "[A]\r\nx=1\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\n");
        row("new key after a closing comment", "[A]\r\nx=1\r\n; end of A\r\n\r\n[B]\r\n", "A", "z",
            "3", "[A]\r\nx=1\r\n; end of A\r\nz=3\r\n\r\n[B]\r\n");
        row("new key under a bare header", "[ChoosenStyle]\r\n[Database]\r\nCatalog=x\r\n",
            "ChoosenStyle", "Style", "Lavender Classico",
            "[ChoosenStyle]\r\nStyle=Lavender Classico\r\n[Database]\r\nCatalog=x\r\n");
        row("new key in the last section without a final break", "[A]\r\nx=1", "A", "z", "3",
            "[A]\r\nx=1\r\nz=3");
        row("new key goes to the first of repeated sections", "[A]\r\nx=1\r\n[B]\r\n[A]\r\ny=2\r\n",
            "A", "y", "3", "[A]\r\nx=1\r\ny=3\r\n[B]\r\n[A]\r\ny=2\r\n");
        row("section found in other letter case", "[database]\r\n", "Database", "Catalog", "x",
            "[database]\r\nCatalog=x\r\n");
        row("lines before the first section kept", "; header\r\nk=0\r\n[A]\r\n", "A", "k", "1",
            "; header\r\nk=0\r\n[A]\r\nk=1\r\n");
        row("new section at the end", "[A]\r\nx=1\r\n", "B", "y", "2",
            "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
        row("new section after trailing blank lines", "[A]\r\nx=1\r\n\r\n", "B", "y", "2",
            "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
        row("new section after a last line without a break", "[A]\r\nx=1", "B", "y", "2",
            "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
        row("LF file keeps LF", "[A]\nx=1\n", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n");
        row("CR file keeps CR", "[A]\rx=1\r", "A", "z", "3", "[A]\rx=1\rz=3\r");
        row("other lines keep their own breaks", "[A]\nx=1\r\n[B]\ry=2", "A", "x", "9",
            "[A]\nx=9\r\n[B]\ry=2");
    }

    void writesByProfileRules()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        writeBytes(iniPath(), before);
        IniFile(iniPath()).writeString(section, key, value);
        QCOMPARE(readBytes(iniPath()), after);
    }

    void createsAMissingFileAsEightBitText()
    {
        IniFile ini(iniPath());
        ini.writeString(QStringLiteral("ChoosenStyle"), QStringLiteral("Style"),
                        QStringLiteral("Lavender Classico"));
        QCOMPARE(readBytes(iniPath()), QByteArray("[ChoosenStyle]\r\nStyle=Lavender Classico\r\n"));
        ini.writeString(QStringLiteral("Photo"), QStringLiteral("PhotoPath"),
                        QStringLiteral("C:\\Fotos\\Müller\\"));
        QVERIFY(readBytes(iniPath()).endsWith("PhotoPath=C:\\Fotos\\M\xFCller\\\r\n"));
        QCOMPARE(ini.readString(QStringLiteral("Photo"), QStringLiteral("PhotoPath"), {}),
                 QStringLiteral("C:\\Fotos\\Müller\\"));
    }

    // A first start writes the default style; one save of the defaults dialog then writes its
    // ten values in order.
    void firstStartThenOneSaveOrdersTheSections()
    {
        IniFile ini(iniPath());
        QVERIFY(!ini.sectionHasKeys(QStringLiteral("ChoosenStyle")));
        ini.writeString(QStringLiteral("ChoosenStyle"), QStringLiteral("Style"),
                        QStringLiteral("Lavender Classico"));
        const QList<QStringList> saves = {
            {"Database", "Catalog", "CorvelHR"},
            {"Database", "Source", "10.0.0.5"},
            {"Photo", "PhotoShow", "1"},
            {"Photo", "PhotoPath", "\\\\srv\\Photos\\"},
            {"Passport", "PassportShow", "0"},
            {"Passport", "PassportPath", ""},
            {"RP", "RPShow", "0"},
            {"RP", "RPPath", ""},
            {"Distribution_Pathes", "SharedFolder_Path", "\\\\srv\\Dist\\"},
            {"CorvelPortal", "URL", "https://portal.corvel-hr.com/"},
        };
        for (const QStringList &save : saves)
            ini.writeString(save[0], save[1], save[2]);

        QCOMPARE(readBytes(iniPath()), QByteArray("[ChoosenStyle]\r\n"
                                                  "Style=Lavender Classico\r\n"
                                                  "[Database]\r\n"
                                                  "Catalog=CorvelHR\r\n"
                                                  "Source=10.0.0.5\r\n"
                                                  "[Photo]\r\n"
                                                  "PhotoShow=1\r\n"
                                                  "PhotoPath=\\\\srv\\Photos\\\r\n"
                                                  "[Passport]\r\n"
                                                  "PassportShow=0\r\n"
                                                  "PassportPath=\r\n"
                                                  "[RP]\r\n"
                                                  "RPShow=0\r\n"
                                                  "RPPath=\r\n"
                                                  "[Distribution_Pathes]\r\n"
                                                  "SharedFolder_Path=\\\\srv\\Dist\\\r\n"
                                                  "[CorvelPortal]\r\n"
                                                  "URL=https://portal.corvel-hr.com/\r\n"));
        for (const QStringList &save : saves)
            QCOMPARE(ini.readString(save[0], save[1], QStringLiteral("<absent>")), save[2]);
        QCOMPARE(ini.readString(QStringLiteral("Database"), QStringLiteral("UserName"),
                                QStringLiteral("<absent>")),
                 QStringLiteral("<absent>"));
    }

    void refusesLineBreaksAndWritesNothing_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("CR LF in value") << "URL"
                                        << "https://a/\r\n[Database]";
        QTest::newRow("LF in value") << "URL"
                                     << "a\nb";
        QTest::newRow("CR in value") << "URL"
                                     << "a\rb";
        QTest::newRow("LF in key") << "URL\nSource"
                                   << "x";
    }

    void refusesLineBreaksAndWritesNothing()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before("[CorvelPortal]\r\nURL=https://old/\r\n");
        writeBytes(iniPath(), before);
        try {
            IniFile(iniPath()).writeString(QStringLiteral("CorvelPortal"), key, value);
            QFAIL("a line break was written");
        } catch (const corvel::SettingsWriteError &) {
            QFAIL("reported as an unwritable file");
        } catch (const corvel::Error &error) {
            QVERIFY2(error.message().contains(QStringLiteral("line break")),
                     qPrintable(error.message()));
        }
        QCOMPARE(readBytes(iniPath()), before);
    }

    void reportsUnwritableFileAndKeepsIt_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("read-only file") << "read-only";
        QTest::newRow("name taken by a folder") << "folder";
        QTest::newRow("missing folder") << "missing folder";
        QTest::newRow("immutable file") << "immutable file";
    }

    void reportsUnwritableFileAndKeepsIt()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("Workers.ini"));
        const QByteArray before("[ChoosenStyle]\r\n");
        writeBytes(path, before);
        QString unlock;
        if (how == QLatin1String("read-only")) {
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        } else if (how == QLatin1String("folder")) {
            path = dir.filePath(QStringLiteral("Folder"));
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Folder")));
        } else if (how == QLatin1String("missing folder")) {
            path = dir.filePath(QStringLiteral("Gone/Workers.ini"));
        } else {
            unlock = path;
            if (!chattr(QStringLiteral("+i"), unlock))
                QSKIP("chattr +i is not available here");
        }
        auto cleanup = qScopeGuard([&] {
            if (!unlock.isEmpty())
                chattr(QStringLiteral("-i"), unlock);
        });

        try {
            IniFile(path).writeString(QStringLiteral("ChoosenStyle"), QStringLiteral("Style"),
                                      QStringLiteral("Lavender Classico"));
            QFAIL("the write succeeded");
        } catch (const corvel::SettingsWriteError &error) {
            QCOMPARE(error.message(),
                     QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(path));
        }
        cleanup.dismiss();
        if (!unlock.isEmpty())
            QVERIFY(chattr(QStringLiteral("-i"), unlock));
        QCOMPARE(readBytes(dir.filePath(QStringLiteral("Workers.ini"))), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Workers.ini"});
    }

    // An install folder that takes no new file, with only the settings file opened to its users.
    void rewritesInPlaceInAFolderThatTakesNoNewFile_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("longer") << QByteArray("[ChoosenStyle]\r\n[Database]\r\nCatalog=x\r\n")
                                << "Lavender Classico"
                                << QByteArray("[ChoosenStyle]\r\nStyle=Lavender Classico\r\n"
                                              "[Database]\r\nCatalog=x\r\n");
        QTest::newRow("shorter") << QByteArray("[ChoosenStyle]\r\nStyle=Charcoal Dark Slate\r\n")
                                 << "Windows" << QByteArray("[ChoosenStyle]\r\nStyle=Windows\r\n");
    }
    void rewritesInPlaceInAFolderThatTakesNoNewFile()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        writeBytes(iniPath(), before);
        if (!chattr(QStringLiteral("+i"), m_dir.path()))
            QSKIP("chattr +i is not available here");
        auto unlock = qScopeGuard([&] { chattr(QStringLiteral("-i"), m_dir.path()); });
        IniFile(iniPath()).writeString(QStringLiteral("ChoosenStyle"), QStringLiteral("Style"),
                                       value);
        QCOMPARE(readBytes(iniPath()), after);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Workers.ini"});
    }

    void replacesTheFileWholeLeavingNoTemporaryFile()
    {
        writeBytes(iniPath(), "[Database]\r\nCatalog=old\r\n");
        QVERIFY(QFile::setPermissions(iniPath(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QFileDevice::Permissions permissions = QFileInfo(iniPath()).permissions();
        IniFile ini(iniPath());
        for (int i = 0; i < 20; ++i)
            ini.writeString(QStringLiteral("Database"), QStringLiteral("Catalog"),
                            QString::number(i));
        QCOMPARE(readBytes(iniPath()), QByteArray("[Database]\r\nCatalog=19\r\n"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Workers.ini"});
        QCOMPARE(QFileInfo(iniPath()).permissions(), permissions);
    }

    void refusesWritesThatWouldChangeHowOtherLinesRead()
    {
#ifdef Q_OS_WIN
        QSKIP("on Windows such a file becomes UTF-16 instead (IniFileEncodingTest)");
#endif
        IniFile ini(iniPath());
        // Plain ASCII reads the same as UTF-8, so the new line may be UTF-8.
        writeBytes(iniPath(), "[Photo]\r\n");
        ini.writeString(QStringLiteral("Photo"), QStringLiteral("PhotoPath"),
                        QStringLiteral("D:\\Ωμέγα\\"));
        QCOMPARE(ini.readString(QStringLiteral("Photo"), QStringLiteral("PhotoPath"), {}),
                 QStringLiteral("D:\\Ωμέγα\\"));

        // An 8-bit file with text above 0x7F cannot take it without changing other lines.
        const QByteArray eightBit("[Photo]\r\nPhotoPath=C:\\Caf\xE9\\\r\n");
        writeBytes(iniPath(), eightBit);
        QVERIFY_THROWS_EXCEPTION(corvel::Error,
                                 ini.writeString(QStringLiteral("RP"), QStringLiteral("RPPath"),
                                                 QStringLiteral("D:\\Ωμέγα\\")));
        QCOMPARE(readBytes(iniPath()), eightBit);
        ini.writeString(QStringLiteral("RP"), QStringLiteral("RPPath"), QStringLiteral("€ü"));
        QCOMPARE(readBytes(iniPath()), eightBit + "[RP]\r\nRPPath=\x80\xFC\r\n");

        // Replacing its only bytes that are not UTF-8 would make the rest read as UTF-8.
        const QByteArray mixed("[Database]\r\nSource=\xE9\r\nCatalog=\xC3\xA9\r\n");
        writeBytes(iniPath(), mixed);
        QVERIFY_THROWS_EXCEPTION(corvel::Error, ini.writeString(QStringLiteral("Database"),
                                                                QStringLiteral("Source"),
                                                                QStringLiteral("10.0.0.5")));
        QCOMPARE(readBytes(iniPath()), mixed);
        QCOMPARE(ini.readString(QStringLiteral("Database"), QStringLiteral("Catalog"), {}),
                 QStringLiteral("Ã©"));
    }
};

CORVEL_TEST(IniFileWriteTest)
#include "IniFileWriteTest.moc"
