#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace corvel {

// How the bytes of a settings file map to text. Taken from the bytes themselves, so that a
// rewrite encodes its new lines as the rest of the file is encoded and never touches the others.
class IniEncoding
{
public:
    enum class Kind
    {
        EightBit,
        Utf8,
        Utf16LE,
        Utf16BE
    };

    // A byte-order mark decides; otherwise strict UTF-8, else the 8-bit code page.
    static IniEncoding detect(QByteArrayView bytes);

    // Whether text read with `other` comes out as text read with this encoding.
    bool readsAlike(const IniEncoding &other) const noexcept
    {
        return m_kind == other.m_kind || m_asciiOnly || other.m_asciiOnly;
    }
    qsizetype bomSize() const noexcept { return m_bomSize; }
    // Bytes per code unit: line breaks are found unit by unit.
    qsizetype unitSize() const noexcept;
    // The code unit starting at byte `at`.
    char16_t unitAt(QByteArrayView bytes, qsizetype at) const;

    QString decode(QByteArrayView bytes) const;
    // Empty when the text holds a character the file cannot store.
    std::optional<QByteArray> encode(const QString &text) const;

private:
    IniEncoding(Kind kind, qsizetype bomSize, bool asciiOnly)
        : m_kind(kind), m_bomSize(bomSize), m_asciiOnly(asciiOnly)
    {}

    Kind m_kind;
    qsizetype m_bomSize;
    // Plain ASCII reads the same as 8-bit and as UTF-8, so it may take either for new text.
    bool m_asciiOnly;
};

} // namespace corvel
