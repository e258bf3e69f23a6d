#include "settings/IniCodePage.h"

#include <algorithm>
#include <array>

namespace corvel::inicodepage {

namespace {

// Windows-1252 for 0x80-0x9F. Its five unassigned bytes map to the C1 controls of the same
// number, as Windows does, so every byte decodes to a distinct character and encodes back.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

std::optional<QByteArray> encode(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            bytes[i] = static_cast<char>(unit);
            continue;
        }
        const auto *found = std::find(kCp1252High.begin(), kCp1252High.end(), unit);
        if (found == kCp1252High.end())
            return std::nullopt;
        bytes[i] = static_cast<char>(0x80 + (found - kCp1252High.begin()));
    }
    return bytes;
}

} // namespace corvel::inicodepage
