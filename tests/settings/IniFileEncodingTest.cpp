#include "SettingsFiles.h"
#include "TestRegistry.h"
#include "settings/IniDocument.h"
#include "settings/IniFile.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using corvel::IniDocument;
using corvel::IniFile;
using Unmarked = corvel::IniEncoding::Unmarked;
using corvel::test::readBytes;
using corvel::test::writeBytes;

// Workstations keep Workers.ini in whatever encoding it was made in; the modules read it too.
class IniFileEncodingTest : public QObject
{
    Q_OBJECT

private:
    static QByteArray encoded(const QString &encoding, const QString &text)
    {
        if (encoding == QLatin1String("8-bit"))
            return text.toLatin1();
        return QStringEncoder(encoding == QLatin1String("UTF-16LE") ? QStringConverter::Utf16LE
                                                                    : QStringConverter::Utf8)
            .encode(text);
    }

    static QByteArray utf16File(const QString &text)
    {
        return QByteArray("\xFF\xFE") + encoded(QStringLiteral("UTF-16LE"), text);
    }

private slots:
    void readsAndRewritesKeepingEncodingAndUntouchedLines_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QByteArray>("bom");
        QTest::newRow("8-bit") << "eightbit.ini"
                               << "8-bit" << QByteArray();
#ifndef Q_OS_WIN
        QTest::newRow("UTF-8") << "utf8.ini"
                               << "UTF-8" << QByteArray();
#endif
        QTest::newRow("UTF-8 with BOM") << "utf8-bom.ini"
                                        << "UTF-8" << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("UTF-16LE with BOM") << "utf16le-bom.ini"
                                           << "UTF-16LE" << QByteArray("\xFF\xFE");
    }

    void readsAndRewritesKeepingEncodingAndUntouchedLines()
    {
        QFETCH(QString, sample);
        QFETCH(QString, encoding);
        QFETCH(QByteArray, bom);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        const QByteArray original =
            readBytes(QStringLiteral(CORVEL_TEST_DATA_DIR "/settings/") + sample);
        QVERIFY(original.startsWith(bom) && !original.isEmpty());
        writeBytes(path, original);
        IniFile ini(path);
        const QString photoPath = QStringLiteral("\\\\server\\Fotos\\Müller\\");

        QCOMPARE(ini.readString(QStringLiteral("photo"), QStringLiteral("photopath"), {}),
                 photoPath);
        QCOMPARE(ini.readString(QStringLiteral("Database"), QStringLiteral("Catalog"), {}),
                 QStringLiteral("CorvelHR"));

        ini.writeString(QStringLiteral("Database"), QStringLiteral("Catalog"),
                        QStringLiteral("Lohn-Büro"));
        QByteArray expected = original;
        expected.replace(encoded(encoding, QStringLiteral("Catalog=CorvelHR")),
                         encoded(encoding, QStringLiteral("Catalog=Lohn-Büro")));
        QCOMPARE(readBytes(path), expected);

        ini.writeString(QStringLiteral("Photo"), QStringLiteral("PhotoArchive"),
                        QStringLiteral("Ärchiv"));
        const QByteArray photoLine =
            encoded(encoding, QStringLiteral("PhotoPath=") + photoPath + QStringLiteral("\r\n"));
        expected.replace(photoLine,
                         photoLine + encoded(encoding, QStringLiteral("PhotoArchive=Ärchiv\r\n")));
        QCOMPARE(readBytes(path), expected);

        ini.writeString(QStringLiteral("RP"), QStringLiteral("RPPath"), QStringLiteral("Ü:\\"));
        expected += encoded(encoding, QStringLiteral("[RP]\r\nRPPath=Ü:\\\r\n"));
        QCOMPARE(readBytes(path), expected);

        QCOMPARE(ini.readString(QStringLiteral("Database"), QStringLiteral("Catalog"), {}),
                 QStringLiteral("Lohn-Büro"));
        QCOMPARE(ini.readString(QStringLiteral("Photo"), QStringLiteral("PhotoArchive"), {}),
                 QStringLiteral("Ärchiv"));
        QCOMPARE(ini.readString(QStringLiteral("RP"), QStringLiteral("RPPath"), {}),
                 QStringLiteral("Ü:\\"));
        QCOMPARE(ini.readString(QStringLiteral("Photo"), QStringLiteral("PhotoPath"), {}),
                 photoPath);
    }

    // Windows' profile functions, through which the modules read the file, take every file
    // without a byte-order mark as code page text.
    void readsUnmarkedUtf8AsCodePageTextOnWindowsOnly()
    {
        const QByteArray bytes("[Database]\r\nCatalog=Soci\xC3\xA9t\xC3\xA9\r\n");
        const QString asCodePage = QStringLiteral("Soci\u00C3\u00A9t\u00C3\u00A9");
        const QString asUtf8 = QStringLiteral("Soci\u00E9t\u00E9");
        const auto catalog = [&](Unmarked unmarked) {
            return IniDocument(bytes, unmarked)
                .value(QStringLiteral("Database"), QStringLiteral("Catalog"))
                .value_or(QString());
        };
        QCOMPARE(catalog(Unmarked::CodePage), asCodePage);
        QCOMPARE(catalog(Unmarked::Utf8WhereValid), asUtf8);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        writeBytes(path, bytes);
#ifdef Q_OS_WIN
        const QString expected = asCodePage;
#else
        const QString expected = asUtf8;
#endif
        QCOMPARE(
            IniFile(path).readString(QStringLiteral("Database"), QStringLiteral("Catalog"), {}),
            expected);
    }

    void codePageFilesTakeTextBeyondItAsUtf16_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const QString beyond = QStringLiteral("D:\\\u03A9\u03BC\u03AD\u03B3\u03B1\\\u6771\u4EAC");
        QTest::newRow("new file") << QByteArray() << "Photo"
                                  << "PhotoPath" << beyond
                                  << utf16File(QStringLiteral("[Photo]\r\nPhotoPath=") + beyond +
                                               QStringLiteral("\r\n"));
        QTest::newRow("plain ASCII")
            << QByteArray("[Database]\r\nSource=10.0.0.5\r\n") << "Database"
            << "Catalog" << beyond
            << utf16File(QStringLiteral("[Database]\r\nSource=10.0.0.5\r\nCatalog=") + beyond +
                         QStringLiteral("\r\n"));
        QTest::newRow("code page text, LF, blanks and no final line end")
            << QByteArray("; Caf\xE9 \x80\n[Photo]\n\n  PhotoPath = C:\\Caf\xE9\\ \nno equals\n"
                          "[RP]\nRPPath=\xFC")
            << "photo"
            << "photopath" << beyond
            << utf16File(QStringLiteral("; Caf\u00E9 \u20AC\n[Photo]\n\nPhotoPath=") + beyond +
                         QStringLiteral("\nno equals\n[RP]\nRPPath=\u00FC"));
        QTest::newRow("UTF-8 bytes keep the text they read as")
            << QByteArray("[Database]\r\nCatalog=Soci\xC3\xA9t\xC3\xA9\r\n") << "Database"
            << "Source" << beyond
            << utf16File(QStringLiteral("[Database]\r\nCatalog=Soci\u00C3\u00A9t\u00C3\u00A9\r\n"
                                        "Source=") +
                         beyond + QStringLiteral("\r\n"));
        QTest::newRow("text the code page holds stays in it")
            << QByteArray("[Photo]\r\n") << "Photo"
            << "PhotoArchive"
            << "\u00C4rchiv \u20AC" << QByteArray("[Photo]\r\nPhotoArchive=\xC4rchiv \x80\r\n");
        QTest::newRow("UTF-8 bytes next to code page bytes are not refused")
            << QByteArray("[Database]\r\nSource=\xE9\r\nCatalog=\xC3\xA9\r\n") << "Database"
            << "Source"
            << "10.0.0.5" << QByteArray("[Database]\r\nSource=10.0.0.5\r\nCatalog=\xC3\xA9\r\n");
    }

    // As Windows' profile functions read and write them; never as UTF-8 without a mark, which
    // they would take for code page text.
    void codePageFilesTakeTextBeyondItAsUtf16()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const std::optional<QByteArray> written =
            IniDocument(before, Unmarked::CodePage).withValue(section, key, value);
        QVERIFY(written);
        QCOMPARE(*written, after);
        QCOMPARE(IniDocument(*written, Unmarked::CodePage).value(section, key).value_or(QString()),
                 value);
    }

    void readsWindows1252BeyondLatin1()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        writeBytes(path, "[Photo]\r\nPhotoPath=\x80 \x93x\x94 \x81\r\n");
        QCOMPARE(IniFile(path).readString(QStringLiteral("Photo"), QStringLiteral("PhotoPath"), {}),
                 QStringLiteral("€ “x” \u0081"));
    }

    void readsUtf16BigEndianWithBom()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        writeBytes(path, QByteArray("\xFE\xFF", 2) +
                             QByteArray(QStringEncoder(QStringConverter::Utf16BE)
                                            .encode(QStringLiteral("[Photo]\r\nPhotoShow=1\r\n"))));
        IniFile ini(path);
        QCOMPARE(ini.readString(QStringLiteral("Photo"), QStringLiteral("PhotoShow"), {}),
                 QStringLiteral("1"));
        ini.writeString(QStringLiteral("Photo"), QStringLiteral("PhotoPath"), QStringLiteral("P"));
        QCOMPARE(ini.readString(QStringLiteral("Photo"), QStringLiteral("PhotoPath"), {}),
                 QStringLiteral("P"));
    }
};

CORVEL_TEST(IniFileEncodingTest)
#include "IniFileEncodingTest.moc"
