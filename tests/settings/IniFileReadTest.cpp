#include "SettingsFiles.h"
#include "TestRegistry.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using corvel::IniFile;
using corvel::test::writeBytes;

namespace {
const QString kDefault = QStringLiteral("<default>");
}

class IniFileReadTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString iniPath() const { return m_dir.filePath(QStringLiteral("Workers.ini")); }

private slots:
    void init() { QFile::remove(iniPath()); }

    void readsValuesByProfileRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QString db = QStringLiteral("Database");
        const QString cat = QStringLiteral("Catalog");
        auto row = [&](const char *name, const QByteArray &content, const QString &expected) {
            QTest::newRow(name) << content << db << cat << expected;
        };
        row("plain value", "[Database]\r\nCatalog=CorvelHR\r\n", "CorvelHR");
        row("absent section", "[Photo]\r\nCatalog=CorvelHR\r\n", kDefault);
        row("absent key", "[Database]\r\nSource=1.2.3.4\r\n", kDefault);
        row("empty file", "", kDefault);
        row("empty value is not the default", "[Database]\r\nCatalog=\r\n", "");
        row("blank value is empty", "[Database]\r\nCatalog= \t \r\n", "");
        row("blanks around key and value", "[Database]\r\n \t Catalog \t=  Corvel HR \t\r\n",
            "Corvel HR");
        row("control characters at the ends are blanks", "[Database]\r\nCatalog=\x01x\x1f\r\n",
            "x");
        row("double quotes stripped", "[Database]\r\nCatalog=\"  Corvel  \"\r\n", "  Corvel  ");
        row("single quotes stripped", "[Database]\r\nCatalog='Corvel'\r\n", "Corvel");
        row("quotes after blanks stripped", "[Database]\r\nCatalog=  \"x\"  \r\n", "x");
        row("only the outermost quotes", "[Database]\r\nCatalog=\"\"x\"\"\r\n", "\"x\"");
        row("mismatched quotes kept", "[Database]\r\nCatalog=\"x'\r\n", "\"x'");
        row("lone quote kept", "[Database]\r\nCatalog=\"\r\n", "\"");
        row("opening quote only kept", "[Database]\r\nCatalog=\"abc\r\n", "\"abc");
        row("empty quotes give empty", "[Database]\r\nCatalog=\"\"\r\n", "");
        row("first equals sign splits", "[Database]\r\nCatalog=a=b\r\n", "a=b");
        row("lower-case names", "[database]\r\ncatalog=x\r\n", "x");
        row("upper-case names", "[DATABASE]\r\nCATALOG=x\r\n", "x");
        row("first duplicate key wins", "[Database]\r\nCatalog=first\r\ncatalog=second\r\n",
            "first");
        row("repeated section ignored",
            "[Database]\r\nSource=1\r\n[Photo]\r\n[Database]\r\nCatalog=second\r\n", kDefault);
        row("key of the next section not found", "[Database]\r\n[Photo]\r\nCatalog=x\r\n",
            kDefault);
        row("comment line ignored", "[Database]\r\n;Catalog=old\r\nCatalog=new\r\n", "new");
        row("indented comment ignored", "[Database]\r\n \t; Catalog=old\r\nCatalog=new\r\n", "new");
        row("semicolon inside a value kept", "[Database]\r\nCatalog=a ;b\r\n", "a ;b");
        row("line without equals ignored", "[Database]\r\nCatalog\r\nCatalog=x\r\n", "x");
        row("text after the bracket ignored", "[Database] ; main\r\nCatalog=x\r\n", "x");
        row("blanks inside brackets trimmed", "[ \tDatabase  ]\r\nCatalog=x\r\n", "x");
        row("indented section line", "  [Database]\r\nCatalog=x\r\n", "x");
        row("lines before the first section belong to none", "Catalog=none\r\n[Database]\r\n",
            kDefault);
        row("lines before the first section skipped", "Catalog=none\r\n[Database]\r\nCatalog=x",
            "x");
        row("LF line ends", "[Photo]\nCatalog=p\n[Database]\nCatalog=x\n", "x");
        row("CR line ends", "[Photo]\rCatalog=p\r[Database]\rCatalog=x\r", "x");
        row("mixed line ends", "[Photo]\r\nCatalog=p\r[Database]\nCatalog=x\r\n", "x");
        row("no final line break", "[Database]\r\nCatalog=x", "x");
        row("tab inside a value kept", "[Database]\r\nCatalog=a\tb\r\n", "a\tb");
        QTest::newRow("no empty section name")
            << QByteArray("[]\r\nCatalog=x\r\n") << QString() << cat << kDefault;
    }

    void readsValuesByProfileRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        writeBytes(iniPath(), content);
        QCOMPARE(IniFile(iniPath()).readString(section, key, kDefault), expected);
    }

    void givesDefaultWithoutARegularFile()
    {
        QCOMPARE(IniFile(iniPath()).readString(QStringLiteral("Database"),
                                               QStringLiteral("Catalog"), kDefault),
                 kDefault);
        QVERIFY(!IniFile(iniPath()).sectionHasKeys(QStringLiteral("Database")));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("Folder.ini")));
        const IniFile folder(m_dir.filePath(QStringLiteral("Folder.ini")));
        QCOMPARE(folder.readString(QStringLiteral("Database"), QStringLiteral("Catalog"), kDefault),
                 kDefault);
    }

    void cutsValuesTo2047Characters_data()
    {
        QTest::addColumn<QByteArray>("mark");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("longer") << QByteArray() << QByteArray(3000, 'a') << QString(2047, u'a');
        QTest::newRow("exactly the limit")
            << QByteArray() << QByteArray(2047, 'b') << QString(2047, u'b');
        QTest::newRow("one over") << QByteArray() << QByteArray(2047, 'b') + 'c'
                                  << QString(2047, u'b');
        QTest::newRow("quoted limit")
            << QByteArray() << '"' + QByteArray(2047, 'q') + '"' << QString(2047, u'q');
        // The cut would fall inside a character outside the basic plane: keep it whole or drop it.
        // The mark makes the file UTF-8 on every platform.
        QTest::newRow("no half surrogate pair")
            << QByteArray("\xEF\xBB\xBF") << QByteArray(2046, 'a') + "\xF0\x9F\x98\x80"
            << QString(2046, u'a');
    }

    void cutsValuesTo2047Characters()
    {
        QFETCH(QByteArray, mark);
        QFETCH(QByteArray, value);
        QFETCH(QString, expected);
        writeBytes(iniPath(), mark + "[RP]\r\nRPPath=" + value + "\r\n");
        QCOMPARE(
            IniFile(iniPath()).readString(QStringLiteral("RP"), QStringLiteral("RPPath"), kDefault),
            expected);
    }

    void tellsWhetherASectionHoldsKeys_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("expected");
        QTest::newRow("absent") << QByteArray("[Database]\r\nCatalog=x\r\n") << false;
        QTest::newRow("bare header") << QByteArray("[ChoosenStyle]\r\n[Database]\r\n") << false;
        QTest::newRow("bare header at the end") << QByteArray("[ChoosenStyle]") << false;
        QTest::newRow("only blanks, comments and lines without equals")
            << QByteArray("[ChoosenStyle]\r\n\r\n; Style=x\r\nStyle\r\n") << false;
        QTest::newRow("another key") << QByteArray("[ChoosenStyle]\r\nOther=1\r\n") << true;
        QTest::newRow("empty style") << QByteArray("[ChoosenStyle]\r\nStyle=\r\n") << true;
        QTest::newRow("lower case") << QByteArray("[choosenstyle]\r\nstyle=x\r\n") << true;
        QTest::newRow("keys only in a repeated section")
            << QByteArray("[ChoosenStyle]\r\n[Photo]\r\n[ChoosenStyle]\r\nStyle=x\r\n") << false;
    }

    void tellsWhetherASectionHoldsKeys()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, expected);
        writeBytes(iniPath(), content);
        QCOMPARE(IniFile(iniPath()).sectionHasKeys(QStringLiteral("ChoosenStyle")), expected);
    }

    void seesChangesMadeBetweenReads()
    {
        const IniFile ini(iniPath());
        writeBytes(iniPath(), "[CorvelPortal]\r\nURL=https://a/\r\n");
        QCOMPARE(ini.readString(QStringLiteral("CorvelPortal"), QStringLiteral("URL"), kDefault),
                 QStringLiteral("https://a/"));
        writeBytes(iniPath(), "[CorvelPortal]\r\nURL=https://b/\r\n");
        QCOMPARE(ini.readString(QStringLiteral("CorvelPortal"), QStringLiteral("URL"), kDefault),
                 QStringLiteral("https://b/"));
    }
};

CORVEL_TEST(IniFileReadTest)
#include "IniFileReadTest.moc"
