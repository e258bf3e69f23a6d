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

    // How a file without a byte-order mark reads. The suite's modules read Workers.ini through
    // Windows' profile functions, which take such a file as code page text whatever its bytes;
    // elsewhere editors leave UTF-8 in it.
    enum class Unmarked
    {
        CodePage,
        Utf8WhereValid
    };
    // A byte-order mark decides; otherwise the `unmarked` rule with the 8-bit code page.
    static IniEncoding detect(QByteArrayView bytes, Unmarked unmarked);

    // Whether text read with `other` comes out as text read with this encoding.
    bool readsAlike(const IniEncoding &other) const noexcept
    {
        return m_kind == other.m_kind || m_asciiOnly || other.m_asciiOnly;
    }
    Unmarked unmarked() const noexcept { return m_unmarked; }
    qsizetype bomSize() const noexcept { return m_bomSize; }
    // Bytes per code unit: line breaks are found unit by unit.
    qsizetype unitSize() const noexcept;
    // The code unit starting at byte `at`.
    char16_t unitAt(QByteArrayView bytes, qsizetype at) const;

    QString decode(QByteArrayView bytes) const;
    // Empty when the text holds a character the file cannot store.
    std::optional<QByteArray> encode(const QString &text) const;
    // The bytes of a whole file holding `text`, for a code page file that cannot store it: on the
    // profile functions' terms it becomes UTF-16LE after a byte-order mark, which they read and
    // write under any code page. Empty where a file keeps its encoding.
    std::optional<QByteArray> widenedFile(const QString &text) const;

private:
    IniEncoding(Kind kind, qsizetype bomSize, bool asciiOnly, Unmarked unmarked)
        : m_kind(kind), m_bomSize(bomSize), m_asciiOnly(asciiOnly), m_unmarked(unmarked)
    {}

    Kind m_kind;
    qsizetype m_bomSize;
    // Plain ASCII reads the same as 8-bit and as UTF-8, so it may take either for new text where
    // unmarked UTF-8 is read as such.
    bool m_asciiOnly;
    Unmarked m_unmarked;
};

#ifdef Q_OS_WIN
inline constexpr IniEncoding::Unmarked kPlatformUnmarked = IniEncoding::Unmarked::CodePage;
#else
inline constexpr IniEncoding::Unmarked kPlatformUnmarked = IniEncoding::Unmarked::Utf8WhereValid;
#endif

} // namespace corvel
