// Compares the version reader with Windows' own (GetFileVersionInfoW and VerQueryValueW) on the PE
// fixtures, on stamped programs of this build and on damaged copies of them.
#include "TestRegistry.h"
#include "platform/SystemError.h"
#include "platform/VersionResource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

using namespace corvel;

namespace {

const QString kPeFolder = QStringLiteral(CORVEL_TEST_DATA_DIR "/pe/");
const QString kBin = QStringLiteral(CORVEL_BIN_DIR "/");

// The version as text, or empty when the file has none that can be read.
QString windowsVersion(const QString &path)
{
    const std::wstring file = QDir::toNativeSeparators(path).toStdWString();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return {};
    QByteArray data(qsizetype(size), '\0');
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data()))
        return {};
    VS_FIXEDFILEINFO *info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.constData(), L"\\", reinterpret_cast<void **>(&info), &length) ||
        length < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != 0xFEEF04BD)
        return {};
    return QStringLiteral("%1.%2.%3.%4")
        .arg(HIWORD(info->dwFileVersionMS))
        .arg(LOWORD(info->dwFileVersionMS))
        .arg(HIWORD(info->dwFileVersionLS))
        .arg(LOWORD(info->dwFileVersionLS));
}

QString ourVersion(const QString &path)
{
    try {
        return versionresource::read(path).toString();
    } catch (const SystemError &) {
        return {};
    }
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class VersionDifferentialTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    QString write(const QByteArray &content)
    {
        const QString path = m_dir.filePath(QStringLiteral("%1.exe").arg(++m_files));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QString stamped(const QString &source, const QString &version)
    {
        const QString path = m_dir.filePath(QStringLiteral("%1.exe").arg(++m_files));
        FileVersion parsed;
        if (!FileVersion::parse(version, &parsed) || !QFile::copy(source, path))
            qFatal("cannot stamp %s", qPrintable(path));
        versionresource::stamp(path, parsed);
        return path;
    }

private slots:
    void readsWhatWindowsReads_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString &name : QDir(kPeFolder).entryList({QStringLiteral("*.exe")}))
            QTest::newRow(qPrintable(name)) << kPeFolder + name;
        for (const char *program : {"CorvelLauncher.exe", "Reinstaller.exe", "ModuleStub.exe"})
            QTest::newRow(program) << kBin + QString::fromLatin1(program);
        for (const char *version : {"0.0.0.0", "1.2.3.4", "65535.65535.65535.65535", "2.0.0.1"})
            QTest::addRow("stub stamped %s", version)
                << stamped(kBin + QStringLiteral("ModuleStub.exe"), QString::fromLatin1(version));
        QTest::newRow("not a program") << write("plain text, not a program\r\n");
        QTest::newRow("empty file") << write({});
    }

    void readsWhatWindowsReads()
    {
        QFETCH(QString, path);
        QCOMPARE(ourVersion(path), windowsVersion(path));
    }

    // A damaged program either still shows the version Windows shows or none at all; the reader
    // never makes up one Windows would not.
    void neverReadsAVersionWindowsDoesNot_data()
    {
        QTest::addColumn<QString>("path");
        const QByteArray stub = contentOf(kBin + QStringLiteral("ModuleStub.exe"));
        for (const qsizetype cut : {qsizetype(2), qsizetype(64), qsizetype(512), qsizetype(4096),
                                    stub.size() / 2, stub.size() - 1})
            QTest::addRow("cut to %lld bytes", qlonglong(cut)) << write(stub.left(cut));
        for (const qsizetype at : {qsizetype(0x3c), qsizetype(0x80), qsizetype(0x100)}) {
            QByteArray damaged = stub;
            damaged[at] = char(damaged[at] ^ 0x5a);
            QTest::addRow("byte %lld changed", qlonglong(at)) << write(damaged);
        }
    }

    void neverReadsAVersionWindowsDoesNot()
    {
        QFETCH(QString, path);
        const QString ours = ourVersion(path);
        if (!ours.isEmpty())
            QCOMPARE(ours, windowsVersion(path));
    }
};

CORVEL_TEST(VersionDifferentialTest)
#include "VersionDifferentialTest.moc"
