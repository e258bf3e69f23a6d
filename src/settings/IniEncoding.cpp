#include "settings/IniEncoding.h"

#include "settings/IniCodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace corvel {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");
const QByteArray kUtf16LEBom("\xFF\xFE");
const QByteArray kUtf16BEBom("\xFE\xFF");

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

IniEncoding IniEncoding::detect(QByteArrayView bytes, Unmarked unmarked)
{
    if (bytes.startsWith(kUtf16LEBom))
        return {Kind::Utf16LE, kUtf16LEBom.size(), false, unmarked};
    if (bytes.startsWith(kUtf16BEBom))
        return {Kind::Utf16BE, kUtf16BEBom.size(), false, unmarked};
    if (bytes.startsWith(kUtf8Bom))
        return {Kind::Utf8, kUtf8Bom.size(), false, unmarked};
    if (isAscii(bytes))
        return {Kind::EightBit, 0, true, unmarked};
    const bool utf8 = unmarked == Unmarked::Utf8WhereValid && isStrictUtf8(bytes);
    return {utf8 ? Kind::Utf8 : Kind::EightBit, 0, false, unmarked};
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
        return inicodepage::decode(bytes);
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
        std::optional<QByteArray> bytes = inicodepage::encode(text);
        // A file of plain ASCII may still take text beyond the code page, as UTF-8.
        if (!bytes && m_asciiOnly && m_unmarked == Unmarked::Utf8WhereValid)
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

std::optional<QByteArray> IniEncoding::widenedFile(const QString &text) const
{
    if (m_kind != Kind::EightBit || m_unmarked != Unmarked::CodePage)
        return std::nullopt;
    QByteArray bytes = kUtf16LEBom;
    bytes += QByteArray(QStringEncoder(QStringConverter::Utf16LE).encode(text));
    return bytes;
}

} // namespace corvel
