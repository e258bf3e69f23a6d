#include "TestRegistry.h"

#include "app/AppVersion.h"
#include "platform/SystemError.h"
#include "platform/VersionResource.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace corvel;

namespace {

const QString kPeFolder = QStringLiteral(CORVEL_TEST_DATA_DIR "/pe/");
const QString kModuleStub = QStringLiteral(CORVEL_BIN_DIR "/ModuleStub.exe");

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

FileVersion version(const QString &text)
{
    FileVersion parsed;
    if (!FileVersion::parse(text, &parsed))
        qFatal("bad version %s", qPrintable(text));
    return parsed;
}

// The code of the system error `path` fails with, or 0 with the version when it reads.
int readFailure(const QString &path, FileVersion *read = nullptr)
{
    try {
        const FileVersion found = versionresource::read(path);
        if (read != nullptr)
            *read = found;
        return 0;
    } catch (const SystemError &error) {
        return error.code();
    }
}

} // namespace

// The module stub is an ELF file only where the build makes ELF programs; a Windows build's
// programs are PE files, read by the same tests' PE cases.
#ifdef Q_OS_WIN
#define SKIP_UNLESS_ELF_PROGRAMS() QSKIP("this build makes PE programs, not ELF")
#else
#define SKIP_UNLESS_ELF_PROGRAMS()
#endif

class TestVersionResource : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString copyOf(const QString &source, const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QFile::remove(path);
        writeFile(path, contentOf(source));
        return path;
    }

    // Every single corrupted byte of the first `headerBytes` of `source` either reads as some
    // version or fails as a file without a version; every prefix (in steps of `step`) reads as
    // `expected` or fails the same way.
    void survivesDamage(const QString &source, int step, int headerBytes, const QString &expected)
    {
        const QByteArray image = contentOf(source);
        const QString path = copyOf(source, QStringLiteral("damaged.exe"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const auto check = [&](const QString &what, bool whole) {
            FileVersion read;
            const int code = readFailure(path, &read);
            QVERIFY2(code == 0 || code == SystemError::ResourceTypeNotFound,
                     qPrintable(QStringLiteral("%1 gave code %2").arg(what).arg(code)));
            if (code == 0 && whole)
                QCOMPARE(read.toString(), expected);
        };
        QRandomGenerator random(20261209);
        for (qsizetype at = 0; at < headerBytes && at < image.size(); ++at) {
            const char damaged = char(image[at] ^ char(1 + random.bounded(255)));
            QVERIFY(file.seek(at) && file.putChar(damaged) && file.flush());
            check(QStringLiteral("byte %1").arg(at), false);
            QVERIFY(file.seek(at) && file.putChar(image[at]) && file.flush());
        }
        for (qsizetype length = image.size() - 1; length >= 0; length -= step) {
            QVERIFY(file.resize(length));
            check(QStringLiteral("length %1").arg(length), true);
        }
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void parsesOnlyFourNumbersOfSixteenBits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("formatted");
        QTest::newRow("plain") << "3.5.3.0" << true << "3.5.3.0";
        QTest::newRow("largest") << "65535.65535.65535.65535" << true << "65535.65535.65535.65535";
        QTest::newRow("leading zeros are dropped") << "1.02.0.0" << true << "1.2.0.0";
        QTest::newRow("too big") << "65536.0.0.0" << false << "";
        QTest::newRow("three numbers") << "1.0.0" << false << "";
        QTest::newRow("five numbers") << "1.0.0.0.0" << false << "";
        QTest::newRow("empty part") << "1..0.0" << false << "";
        QTest::newRow("sign") << "+1.0.0.0" << false << "";
        QTest::newRow("blank") << "1.0.0.0 " << false << "";
        QTest::newRow("letters") << "1.0.0.a" << false << "";
        QTest::newRow("empty") << "" << false << "";
    }
    void parsesOnlyFourNumbersOfSixteenBits()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, formatted);
        FileVersion parsed{9, 9, 9, 9};
        QCOMPARE(FileVersion::parse(text, &parsed), valid);
        if (valid)
            QCOMPARE(parsed.toString(), formatted);
    }

    void readsFixedFileVersionOfPeImages_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("PE32 1.0.0.0") << "pe32-1.0.0.0.exe"
                                      << "1.0.0.0";
        QTest::newRow("PE32 with other resources") << "pe32-10.2.0.65535.exe"
                                                   << "10.2.0.65535";
        QTest::newRow("PE32+ 1.0.0.0") << "pe32plus-1.0.0.0.exe"
                                       << "1.0.0.0";
        QTest::newRow("PE32+ with other resources") << "pe32plus-10.2.0.65535.exe"
                                                    << "10.2.0.65535";
    }
    void readsFixedFileVersionOfPeImages()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QCOMPARE(versionresource::read(kPeFolder + file).toString(), expected);
    }

    void agreesWithExiftool_data() { readsFixedFileVersionOfPeImages_data(); }
    void agreesWithExiftool()
    {
        QFETCH(QString, file);
        const QString exiftool = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
        if (exiftool.isEmpty())
            QSKIP("exiftool is not installed");
        QProcess process;
        process.start(exiftool, {QStringLiteral("-s3"), QStringLiteral("-FileVersionNumber"),
                                 kPeFolder + file});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(versionresource::read(kPeFolder + file).toString(),
                 QString::fromUtf8(process.readAllStandardOutput()).trimmed());
    }

    void stampsCopiesOfElfAndPeImages_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("stamped");
        for (const QString &stamped : {QStringLiteral("1.0.0.0"), QStringLiteral("10.2.0.65535"),
                                       QStringLiteral("65535.65535.65535.65535")}) {
            QTest::addRow("ELF %s", qPrintable(stamped)) << kModuleStub << stamped;
            QTest::addRow("PE32 %s", qPrintable(stamped))
                << kPeFolder + QStringLiteral("pe32-10.2.0.65535.exe") << stamped;
            QTest::addRow("PE32+ %s", qPrintable(stamped))
                << kPeFolder + QStringLiteral("pe32plus-1.0.0.0.exe") << stamped;
        }
    }
    void stampsCopiesOfElfAndPeImages()
    {
        QFETCH(QString, source);
        QFETCH(QString, stamped);
        const QString path = copyOf(source, QStringLiteral("stamped.exe"));
        const qint64 size = QFileInfo(path).size();
        versionresource::stamp(path, version(stamped));
        QCOMPARE(versionresource::read(path).toString(), stamped);
        QCOMPARE(QFileInfo(path).size(), size);
    }

    void stampedElfNoteStaysReadableByReadelf()
    {
        SKIP_UNLESS_ELF_PROGRAMS();
        const QString readelf = QStandardPaths::findExecutable(QStringLiteral("readelf"));
        if (readelf.isEmpty())
            QSKIP("readelf is not installed");
        const QString path = copyOf(kModuleStub, QStringLiteral("noted.exe"));
        versionresource::stamp(path, version(QStringLiteral("10.2.0.65535")));
        QProcess process;
        process.start(readelf, {QStringLiteral("-n"), path});
        QVERIFY(process.waitForFinished(30000));
        const QString notes = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY(notes.contains(QStringLiteral("\"version\":\"10.2.0.65535\"")));
        QVERIFY(notes.contains(QStringLiteral("\"name\":\"CorvelModule\"")));
    }

    void refusesVersionThatDoesNotFitTheNote()
    {
        SKIP_UNLESS_ELF_PROGRAMS();
        const QString path = copyOf(kModuleStub, QStringLiteral("full.exe"));
        QByteArray image = contentOf(path);
        const qsizetype at = image.indexOf("{\"type\":\"exe\"");
        QVERIFY(at > 0);
        // Fill the note's 127 bytes of text up to the last one.
        const QByteArray prefix = "{\"type\":\"exe\",\"version\":\"1.0.0.0\",\"name\":\"";
        const QByteArray full = prefix + QByteArray(127 - prefix.size() - 2, 'x') + "\"}";
        image.replace(at, full.size(), full);
        writeFile(path, image);
        QCOMPARE(versionresource::read(path).toString(), QStringLiteral("1.0.0.0"));

        QVERIFY_THROWS_EXCEPTION(Error,
                                 versionresource::stamp(path, version(QStringLiteral("10.2.0.0"))));
        QCOMPARE(contentOf(path), image);
    }

    void failsWithSystemErrorWhenThereIsNoVersion_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("code");
        QTest::newRow("PE without resources")
            << contentOf(kPeFolder + QStringLiteral("pe32-no-resources.exe")) << 1813;
        QTest::newRow("PE without a version resource")
            << contentOf(kPeFolder + QStringLiteral("pe32plus-no-version.exe")) << 1813;
        QTest::newRow("ELF without the package note")
            << contentOf(QStringLiteral("/proc/self/exe")) << 1813;
        QTest::newRow("empty") << QByteArray() << 1813;
        QTest::newRow("text") << QByteArray("[Database]\r\nServer=here\r\n") << 1813;
        QTest::newRow("MZ only") << QByteArray("MZ") << 1813;
        QTest::newRow("ELF magic only") << QByteArray("\x7f"
                                                      "ELF")
                                        << 1813;
        QByteArray garbage(4096, '\0');
        QRandomGenerator random(7);
        for (char &byte : garbage)
            byte = char(random.bounded(256));
        QTest::newRow("garbage") << garbage << 1813;
        garbage[0] = 'M';
        garbage[1] = 'Z';
        QTest::newRow("garbage after MZ") << garbage << 1813;
    }
    void failsWithSystemErrorWhenThereIsNoVersion()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, code);
        const QString path = m_dir.filePath(QStringLiteral("versionless.exe"));
        writeFile(path, content);
        QCOMPARE(readFailure(path), code);
        QVERIFY_THROWS_EXCEPTION(SystemError,
                                 versionresource::stamp(path, version(QStringLiteral("1.0.0.0"))));
        QCOMPARE(contentOf(path), content);
    }

    void missingFileFailsWithTheSystemText()
    {
        try {
            versionresource::read(m_dir.filePath(QStringLiteral("absent.exe")));
            QFAIL("a missing file has no version");
        } catch (const SystemError &error) {
            QCOMPARE(error.code(), 2);
            QCOMPARE(error.message(), QStringLiteral("System Error.  Code: 2.\nThe system cannot "
                                                     "find the file specified."));
        }
    }

    void versionlessFileFailsWithTheSystemText()
    {
        try {
            versionresource::read(kPeFolder + QStringLiteral("pe32plus-no-version.exe"));
            QFAIL("the file has no version resource");
        } catch (const SystemError &error) {
            QCOMPARE(error.message(),
                     QStringLiteral("System Error.  Code: 1813.\nThe specified resource type "
                                    "cannot be found in the image file."));
        }
    }

    void folderIsRefused() { QCOMPARE(readFailure(m_dir.path()), SystemError::AccessDenied); }

    void truncatedOrCorruptedPeNeverReadsOutOfBounds_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("PE32") << "pe32-10.2.0.65535.exe"
                              << "10.2.0.65535";
        QTest::newRow("PE32+") << "pe32plus-1.0.0.0.exe"
                               << "1.0.0.0";
    }
    void truncatedOrCorruptedPeNeverReadsOutOfBounds()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        const QString source = kPeFolder + file;
        survivesDamage(source, 1, int(QFileInfo(source).size()), expected);
    }

    void truncatedOrCorruptedElfNeverReadsOutOfBounds()
    {
        SKIP_UNLESS_ELF_PROGRAMS();
        survivesDamage(kModuleStub, 499, 2048, QStringLiteral("1.0.0.0"));
    }

    void corruptedElfSectionTableNeverReadsOutOfBounds()
    {
        SKIP_UNLESS_ELF_PROGRAMS();
        const QByteArray image = contentOf(kModuleStub);
        const quint64 tableOffset = qFromLittleEndian<quint64>(image.constData() + 40);
        const quint16 count = qFromLittleEndian<quint16>(image.constData() + 60);
        QByteArray damaged = image;
        // Offsets and sizes of every section pointing far beyond the file.
        for (quint64 i = 0; i < count; ++i) {
            char *entry = damaged.data() + tableOffset + i * 64;
            qToLittleEndian<quint64>(0xfffffffffffff000ull, entry + 24);
            qToLittleEndian<quint64>(0x7fffffffffffffffull, entry + 32);
        }
        const QString path = m_dir.filePath(QStringLiteral("sections.exe"));
        writeFile(path, damaged);
        FileVersion read;
        QCOMPARE(readFailure(path, &read), 0); // found through the note segment instead
        QCOMPARE(read.toString(), QStringLiteral("1.0.0.0"));
    }

    void launcherCarriesTheProjectVersion()
    {
        QCOMPARE(GetAppVersionStr(QStringLiteral(CORVEL_BIN_DIR "/CorvelLauncher.exe")),
                 QStringLiteral(CORVEL_PROJECT_VERSION));
    }
};

CORVEL_TEST(TestVersionResource)

#include "VersionResourceTest.moc"
