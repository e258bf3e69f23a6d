// Any Workers.ini: reading never fails, and writing one key leaves every other value as it was,
// also where Windows' reading rule turns the file into UTF-16 for a value beyond the code page.
#include "platform/Error.h"
#include "settings/IniDocument.h"
#include "settings/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

struct Probe
{
    QString section;
    QString key;
};

const Probe kProbes[] = {
    {QStringLiteral("Database"), QStringLiteral("Catalog")},
    {QStringLiteral("Database"), QStringLiteral("Source")},
    {QStringLiteral("ChoosenStyle"), QStringLiteral("Style")},
    {QStringLiteral("Photo"), QStringLiteral("PhotoShow")},
    {QStringLiteral("CorvelPortal"), QStringLiteral("URL")},
    {QString(), QStringLiteral("a")},
};

// As Windows' profile functions read it, the file holding a value its code page lacks.
void checkWidening(const QByteArray &bytes)
{
    constexpr auto rule = corvel::IniEncoding::Unmarked::CodePage;
    const QString value = QStringLiteral("\u03A9\u6771\u4EAC");
    const corvel::IniDocument before(bytes, rule);
    const std::optional<QByteArray> written =
        before.withValue(QStringLiteral("Database"), QStringLiteral("Source"), value);
    if (!written)
        return;
    const corvel::IniDocument after(*written, rule);
    for (int i = 0; i < int(std::size(kProbes)); ++i) {
        const auto read = [&](const corvel::IniDocument &document) {
            return document.value(kProbes[i].section, kProbes[i].key);
        };
        if (i == 1 ? read(after) != value : read(after) != read(before))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Workers.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    checkWidening(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    corvel::IniFile ini(path);
    QStringList before;
    for (const Probe &probe : kProbes)
        before << ini.readString(probe.section, probe.key, QStringLiteral("<absent>"));

    const QString value = QStringLiteral("10.0.0.5\\SQLEXPRESS");
    try {
        ini.writeString(QStringLiteral("Database"), QStringLiteral("Source"), value);
    } catch (const corvel::Error &) {
        return 0;
    }
    for (int i = 0; i < int(std::size(kProbes)); ++i) {
        const QString after =
            ini.readString(kProbes[i].section, kProbes[i].key, QStringLiteral("<absent>"));
        const bool written = i == 1;
        if (written ? after != value : after != before.at(i))
            __builtin_trap();
    }
    return 0;
}
