#include "SettingsFiles.h"
#include "TestRegistry.h"
#include "settings/IniFile.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using corvel::IniFile;
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

private slots:
    void readsAndRewritesKeepingEncodingAndUntouchedLines_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QByteArray>("bom");
        QTest::newRow("8-bit") << "eightbit.ini"
                               << "8-bit" << QByteArray();
        QTest::newRow("UTF-8") << "utf8.ini"
                               << "UTF-8" << QByteArray();
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
