// Compares the settings file reader and writer with Windows' own profile functions
// (GetPrivateProfileStringW, WritePrivateProfileStringW) on generated files.
#include "TestRegistry.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

using corvel::IniFile;

namespace {

const QString kDefault = QStringLiteral("<default>");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

LPCWSTR wide(const QString &text)
{
    return reinterpret_cast<LPCWSTR>(text.utf16());
}

QString windowsRead(const QString &path, const QString &section, const QString &key)
{
    // The launcher reads with room for 2047 characters, as the profile functions' callers do.
    std::wstring buffer(IniFile::MaxValueLength + 1, L'\0');
    const DWORD length =
        GetPrivateProfileStringW(wide(section), wide(key), wide(kDefault), buffer.data(),
                                 DWORD(buffer.size()), wide(QDir::toNativeSeparators(path)));
    return QString::fromWCharArray(buffer.data(), int(length));
}

bool windowsWrite(const QString &path, const QString &section, const QString &key,
                  const QString &value)
{
    return WritePrivateProfileStringW(wide(section), wide(key), wide(value),
                                      wide(QDir::toNativeSeparators(path))) != 0;
}

// Settings files as people and programs leave them: the launcher's own layout, hand edits with
// odd case, blanks, quotes and comments, duplicates, long values and stray lines.
struct Sample
{
    const char *name;
    QByteArray text; // "\n" is replaced by each line end in turn
};

QList<Sample> samples()
{
    return {
        {"launcher layout",
         "[Database]\nSource=10.0.0.12\nCatalog=CorvelHR\nUserName=corvel_app\n"
         "[Distribution_Pathes]\nSharedFolder_Path=\\\\server\\share\\\n[ChoosenStyle]\n"
         "Style=Lavender Classico\n"},
        {"case and blanks",
         "[DATABASE]\n  source  =  10.0.0.12  \n\tCATALOG\t=\tHR\t\n[ Photo ]\nPATH = C:\\p \n"},
        {"quotes", "[Database]\nSource=\"10.0.0.12\"\nCatalog='HR'\nUserName=\"\"x\"\"\n"
                   "Driver=\"odd'\nEmpty=\"\"\n"},
        {"duplicates", "[Database]\nSource=first\nsource=second\n[Photo]\nPath=p\n[database]\n"
                       "Catalog=repeated\n"},
        {"comments and stray lines", "; heading\nSource=none\n[Database]\n;Source=old\n  ; x=y\n"
                                     "Source=new\nno equals here\nCatalog=a ;b\n"},
        {"missing sections and empty values", "[Photo]\nPath=\n[Database]\nSource=\nCatalog= \n"},
        {"section line oddities", "[Database] ; main\nSource=1\n  [Photo]\nPath=2\n[]\nKey=3\n"},
        {"long value", "[RP]\nRPPath=" + QByteArray(3000, 'a') + "\n[Database]\nSource=1\n"},
        {"no final line end", "[Database]\nSource=1\nCatalog=2"},
        {"eight-bit text", "[Database]\nCatalog=Soci\xe9t\xe9\nUserName=Jos\xe9\n"},
        {"UTF-8 bytes without a mark",
         "[Database]\nCatalog=Soci\xc3\xa9t\xc3\xa9\nUserName=\xe2\x82\xac\xc3\xbc\n[Photo]\n"
         "Path=D:\\\xc3\x84rchiv\\\n"},
        {"blank lines", "\n\n[Database]\n\nSource=1\n\n\n[Photo]\n\nPath=2\n\n"},
    };
}

const QList<QPair<QString, QString>> kLookups = {
    {"Database", "Source"},
    {"Database", "Catalog"},
    {"Database", "UserName"},
    {"Database", "Driver"},
    {"Database", "Empty"},
    {"database", "SOURCE"},
    {"Photo", "Path"},
    {"photo", "path"},
    {"RP", "RPPath"},
    {"ChoosenStyle", "Style"},
    {"Missing", "Source"},
    {"Database", "Missing"},
    {"Distribution_Pathes", "SharedFolder_Path"},
    {"", "Key"},
    {"Database", ""},
    {"Database", "no equals here"},
};

const QList<QPair<QByteArray, QByteArray>> kLineEnds = {
    {"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}};

QByteArray withLineEnds(QByteArray text, const QByteArray &end)
{
    return text.replace("\n", end);
}

// In the form Windows' writer gives every line.
bool isTidy(const QByteArray &content)
{
    if (content.contains("\r\n\r\n") || content.startsWith("\r\n") ||
        content.count('\r') != content.count('\n') || !content.endsWith("\r\n"))
        return false;
    for (const QByteArray &line : content.split('\n')) {
        const QByteArray text = line.chopped(line.endsWith('\r') ? 1 : 0);
        if (text != text.trimmed() || text.contains(" =") || text.contains("= ") ||
            text.startsWith(';') ||
            (!text.isEmpty() && !text.startsWith('[') && !text.contains('=')))
            return false;
    }
    return true;
}

// The text Windows reads from an 8-bit file, in a UTF-16 file.
QByteArray utf16WithBom(const QByteArray &eightBit)
{
    std::wstring text(eightBit.size(), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, eightBit.constData(), int(eightBit.size()),
                                           text.data(), int(text.size()));
    QByteArray bytes("\xff\xfe", 2);
    bytes.append(reinterpret_cast<const char *>(text.data()), qsizetype(length) * 2);
    return bytes;
}

// In no code page, so an 8-bit file cannot hold it.
const QString kBeyondCodePage = QStringLiteral("\u03A9\u03BC\u03AD\u03B3\u03B1 \u6771\u4EAC "
                                               "\u0416\u011F\u0639");

} // namespace

class ProfileDifferentialTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;
    // A new name for every file: Windows keeps a parsed copy of a profile it has read.
    QString newPath() { return m_dir.filePath(QStringLiteral("%1.ini").arg(++m_files)); }

    // The same write by the launcher and by Windows, each into its own file.
    std::pair<QString, QString> writtenByBoth(const QByteArray &ours, const QByteArray &theirs,
                                              const QString &section, const QString &key,
                                              const QString &value)
    {
        const std::pair<QString, QString> paths{newPath(), newPath()};
        writeAll(paths.first, ours);
        writeAll(paths.second, theirs);
        IniFile(paths.first).writeString(section, key, value);
        if (!windowsWrite(paths.second, section, key, value))
            QTest::qFail("WritePrivateProfileStringW failed", __FILE__, __LINE__);
        WritePrivateProfileStringW(nullptr, nullptr, nullptr,
                                   wide(paths.second)); // flush its cache
        return paths;
    }

    static void addFiles()
    {
        QTest::addColumn<QByteArray>("content");
        for (const Sample &sample : samples()) {
            for (const auto &[endName, end] : kLineEnds) {
                const QByteArray bytes = withLineEnds(sample.text, end);
                QTest::addRow("%s, %s", sample.name, endName.constData()) << bytes;
                QTest::addRow("%s, %s, UTF-16", sample.name, endName.constData())
                    << utf16WithBom(bytes);
            }
        }
    }

private slots:
    void readsWhatWindowsReads_data() { addFiles(); }

    void readsWhatWindowsReads()
    {
        QFETCH(QByteArray, content);
        const QString file = newPath();
        writeAll(file, content);
        for (const auto &[section, key] : kLookups) {
            const QString ours = IniFile(file).readString(section, key, kDefault);
            const QString theirs = windowsRead(file, section, key);
            QVERIFY2(ours == theirs,
                     qPrintable(QStringLiteral("[%1] %2: ours \"%3\", Windows \"%4\"")
                                    .arg(section, key, ours.left(80), theirs.left(80))));
        }
    }

    void writesWhereWindowsWrites_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QList<std::tuple<const char *, QString, QString, QString>> writes = {
            {"existing key", "Database", "Source", "10.9.8.7"},
            {"existing key in other case", "DATABASE", "source", "10.9.8.7"},
            {"new key in a section", "Database", "Driver", "FreeTDS"},
            {"new section", "CorvelPortal", "URL", "https://portal.example/"},
            {"empty value", "Database", "Source", ""},
            {"value with blanks and quotes", "Database", "Catalog", "\"Corvel HR\""},
            {"value in the code page", "Database", "Catalog", QStringLiteral("Soci\u00e9t\u00e9")},
        };
        for (const Sample &sample : samples()) {
            for (const auto &[endName, end] : kLineEnds) {
                for (const auto &[writeName, section, key, value] : writes) {
                    QTest::addRow("%s, %s, %s", sample.name, endName.constData(), writeName)
                        << withLineEnds(sample.text, end) << section << key << value;
                }
            }
        }
    }

    // After the same write, the file reads the same as the one Windows wrote, key for key; where
    // the file was already in the form Windows writes (CR LF, no blank lines, no blanks around
    // "="), its bytes are the same too. Windows rewrites every other line in that form, where the
    // launcher keeps each line it did not change as it was.
    void writesWhereWindowsWrites()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const auto [ours, theirs] = writtenByBoth(content, content, section, key, value);
        for (const auto &[readSection, readKey] : kLookups)
            QCOMPARE(IniFile(ours).readString(readSection, readKey, kDefault),
                     windowsRead(theirs, readSection, readKey));
        if (isTidy(content))
            QCOMPARE(readAll(ours), readAll(theirs));
    }

    void widensWhereWindowsKeepsUnicode_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        const QList<std::tuple<const char *, QString, QString>> writes = {
            {"existing key", "Database", "Source"},
            {"new key in a section", "Database", "Driver"},
            {"new section", "CorvelPortal", "URL"},
        };
        for (const Sample &sample : samples()) {
            for (const auto &[endName, end] : kLineEnds) {
                for (const auto &[writeName, section, key] : writes) {
                    QTest::addRow("%s, %s, %s", sample.name, endName.constData(), writeName)
                        << withLineEnds(sample.text, end) << section << key;
                }
            }
        }
    }

    // Windows keeps such a value only in a UTF-16 file with a mark. After the launcher writes it
    // into an 8-bit file, the file reads as the UTF-16 copy of that file reads once Windows
    // wrote the value into it, key for key, and in Windows' form byte for byte; Windows then
    // keeps more such text in it.
    void widensWhereWindowsKeepsUnicode()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        const auto [ours, theirs] =
            writtenByBoth(content, utf16WithBom(content), section, key, kBeyondCodePage);
        QVERIFY(readAll(ours).startsWith("\xff\xfe"));
        for (const auto &[readSection, readKey] : kLookups) {
            const QString windows = windowsRead(ours, readSection, readKey);
            QCOMPARE(windows, windowsRead(theirs, readSection, readKey));
            QCOMPARE(IniFile(ours).readString(readSection, readKey, kDefault), windows);
        }
        QCOMPARE(windowsRead(ours, section, key), kBeyondCodePage);
        if (isTidy(content))
            QCOMPARE(readAll(ours), readAll(theirs));

        const QString more = kBeyondCodePage + QStringLiteral(" \u00C4");
        QVERIFY(windowsWrite(ours, QStringLiteral("Photo"), QStringLiteral("Path"), more));
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, wide(ours));
        QCOMPARE(
            IniFile(ours).readString(QStringLiteral("Photo"), QStringLiteral("Path"), kDefault),
            more);
    }
};

CORVEL_TEST(ProfileDifferentialTest)
#include "ProfileDifferentialTest.moc"
