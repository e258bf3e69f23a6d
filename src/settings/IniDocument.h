#pragma once

#include "settings/IniEncoding.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace corvel {

// One reading of a settings file: its lines located in its bytes and classified. Changes are
// made by splicing bytes, so every line a change does not touch keeps its exact bytes.
class IniDocument
{
public:
    explicit IniDocument(QByteArray bytes, IniEncoding::Unmarked unmarked = kPlatformUnmarked);

    // The key's value, unquoted and cut to length; empty when the section or key is absent.
    std::optional<QString> value(const QString &section, const QString &key) const;
    bool sectionHasKeys(const QString &section) const;
    // The file's bytes with the key set to `value`; empty when that cannot be done without
    // changing how the other lines read. A code page file that cannot store the value may come
    // back whole in another encoding, every other line reading as before.
    std::optional<QByteArray> withValue(const QString &section, const QString &key,
                                        const QString &value) const;

private:
    enum class Kind
    {
        Blank,
        Section,
        Key,
        Other
    };

    struct Line
    {
        qsizetype begin = 0;
        qsizetype end = 0;  // where the line break starts
        qsizetype next = 0; // where the following line starts
        Kind kind = Kind::Other;
        QString name;     // section or key name, trimmed
        QString rawValue; // all text after the first "="
    };

    void split();
    Line classify(qsizetype begin, qsizetype end, qsizetype next) const;
    std::optional<std::size_t> findSection(const QString &section) const;
    std::size_t sectionEnd(std::size_t header) const;
    std::optional<std::size_t> findKey(std::size_t header, const QString &key) const;
    std::optional<QByteArray> spliced(qsizetype from, qsizetype to, const QString &text) const;
    std::optional<QByteArray> widened(qsizetype from, qsizetype to, const QString &text) const;

    QByteArray m_bytes;
    IniEncoding m_encoding;
    // The end of whole code units: a stray last byte of a UTF-16 file stays after it.
    qsizetype m_textEnd = 0;
    QString m_lineBreak;
    std::vector<Line> m_lines;
};

} // namespace corvel
