#include "settings/IniEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <array>

namespace corvel {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");
const QByteArray kUtf16LEBom("\xFF\xFE");
const QByteArray kUtf16BEBom("\xFE\xFF");

// Windows-1252 for 0x80-0x9F. Its five unassigned bytes map to the C1 controls of the same
// number, as Windows does, so every byte decodes to a distinct character and encodes back.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

std::optional<QByteArray> encodeCp1252(const QString &text)
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

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

bool isStrictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    // The decoder runs when its result is converted to text.
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

IniEncoding IniEncoding::detect(QByteArrayView bytes)
{
    if (bytes.startsWith(kUtf16LEBom))
        return {Kind::Utf16LE, kUtf16LEBom.size(), false};
    if (bytes.startsWith(kUtf16BEBom))
        return {Kind::Utf16BE, kUtf16BEBom.size(), false};
    if (bytes.startsWith(kUtf8Bom))
        return {Kind::Utf8, kUtf8Bom.size(), false};
    if (isAscii(bytes))
        return {Kind::EightBit, 0, true};
    return {isStrictUtf8(bytes) ? Kind::Utf8 : Kind::EightBit, 0, false};
}

qsizetype IniEncoding::unitSize() const noexcept
{
    return m_kind == Kind::Utf16LE || m_kind == Kind::Utf16BE ? 2 : 1;
}

char16_t IniEncoding::unitAt(QByteArrayView bytes, qsizetype at) const
{
    const auto first = static_cast<unsigned char>(bytes[at]);
    switch (m_kind) {
    case Kind::Utf16LE:
        return static_cast<char16_t>(first | static_cast<unsigned char>(bytes[at + 1]) << 8);
    case Kind::Utf16BE:
        return static_cast<char16_t>(first << 8 | static_cast<unsigned char>(bytes[at + 1]));
    case Kind::EightBit:
    case Kind::Utf8:
        break;
    }
    return first;
}

QString IniEncoding::decode(QByteArrayView bytes) const
{
    switch (m_kind) {
    case Kind::EightBit:
        return decodeCp1252(bytes);
    case Kind::Utf8:
        return QString::fromUtf8(bytes);
    case Kind::Utf16LE:
        return QStringDecoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless)
            .decode(bytes);
    case Kind::Utf16BE:
        return QStringDecoder(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless)
            .decode(bytes);
    }
    return {};
}

std::optional<QByteArray> IniEncoding::encode(const QString &text) const
{
    switch (m_kind) {
    case Kind::EightBit: {
        std::optional<QByteArray> bytes = encodeCp1252(text);
        // A file of plain ASCII may still take text beyond the code page, as UTF-8.
        if (!bytes && m_asciiOnly)
            bytes = text.toUtf8();
        return bytes;
    }
    case Kind::Utf8:
        return text.toUtf8();
    case Kind::Utf16LE:
        return QByteArray(QStringEncoder(QStringConverter::Utf16LE).encode(text));
    case Kind::Utf16BE:
        return QByteArray(QStringEncoder(QStringConverter::Utf16BE).encode(text));
    }
    return std::nullopt;
}

} // namespace corvel
