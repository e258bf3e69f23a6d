#include "settings/IniDocument.h"

#include "settings/IniFile.h"

namespace corvel {

namespace {

bool isBlank(QChar c)
{
    return c.unicode() <= 32;
}

QString trimmedBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin).toString();
}

QString unquoted(QString value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

QString cutToLength(QString value)
{
    if (value.size() <= IniFile::MaxValueLength)
        return value;
    value.truncate(IniFile::MaxValueLength);
    // Half a surrogate pair is not text.
    if (value.back().isHighSurrogate())
        value.chop(1);
    return value;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniDocument::IniDocument(QByteArray bytes, IniEncoding::Unmarked unmarked)
    : m_bytes(std::move(bytes)), m_encoding(IniEncoding::detect(m_bytes, unmarked))
{
    split();
}

void IniDocument::split()
{
    const qsizetype unit = m_encoding.unitSize();
    const qsizetype start = m_encoding.bomSize();
    m_textEnd = start + (m_bytes.size() - start) / unit * unit;
    qsizetype lineBegin = start;
    qsizetype pos = start;
    while (pos < m_textEnd) {
        const char16_t c = m_encoding.unitAt(m_bytes, pos);
        if (c != u'\r' && c != u'\n') {
            pos += unit;
            continue;
        }
        qsizetype next = pos + unit;
        if (c == u'\r' && next < m_textEnd && m_encoding.unitAt(m_bytes, next) == u'\n')
            next += unit;
        if (m_lineBreak.isEmpty())
            m_lineBreak = c == u'\n'           ? QStringLiteral("\n")
                          : next - pos == unit ? QStringLiteral("\r")
                                               : QStringLiteral("\r\n");
        m_lines.push_back(classify(lineBegin, pos, next));
        pos = lineBegin = next;
    }
    if (lineBegin < m_textEnd)
        m_lines.push_back(classify(lineBegin, m_textEnd, m_textEnd));
    // Files the launcher creates end their lines as the Windows profile functions do.
    if (m_lineBreak.isEmpty())
        m_lineBreak = QStringLiteral("\r\n");
}

IniDocument::Line IniDocument::classify(qsizetype begin, qsizetype end, qsizetype next) const
{
    Line line{begin, end, next, Kind::Other, {}, {}};
    const QString text =
        trimmedBlanks(m_encoding.decode(QByteArrayView(m_bytes).sliced(begin, end - begin)));
    if (text.isEmpty()) {
        line.kind = Kind::Blank;
    } else if (text.front() == u';') {
        line.kind = Kind::Other;
    } else if (text.front() == u'[') {
        const qsizetype close = text.indexOf(u']');
        line.kind = Kind::Section;
        line.name =
            trimmedBlanks(QStringView(text).sliced(1, (close < 0 ? text.size() : close) - 1));
    } else if (const qsizetype equals = text.indexOf(u'='); equals >= 0) {
        line.kind = Kind::Key;
        line.name = trimmedBlanks(QStringView(text).first(equals));
        line.rawValue = text.sliced(equals + 1);
    }
    return line;
}

std::optional<std::size_t> IniDocument::findSection(const QString &section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Kind::Section && sameName(m_lines[i].name, section))
            return i;
    }
    return std::nullopt;
}

std::size_t IniDocument::sectionEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section)
        ++i;
    return i;
}

std::optional<std::size_t> IniDocument::findKey(std::size_t header, const QString &key) const
{
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == Kind::Key && sameName(m_lines[i].name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const std::optional<std::size_t> header = findSection(section);
    if (!header)
        return std::nullopt;
    const std::optional<std::size_t> line = findKey(*header, key);
    if (!line)
        return std::nullopt;
    return cutToLength(unquoted(trimmedBlanks(m_lines[*line].rawValue)));
}

bool IniDocument::sectionHasKeys(const QString &section) const
{
    const std::optional<std::size_t> header = findSection(section);
    if (!header)
        return false;
    const std::size_t end = sectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (m_lines[i].kind == Kind::Key)
            return true;
    }
    return false;
}

std::optional<QByteArray> IniDocument::withValue(const QString &section, const QString &key,
                                                 const QString &value) const
{
    const std::optional<std::size_t> header = findSection(section);
    if (!header) {
        const bool unterminated = !m_lines.empty() && m_lines.back().next == m_lines.back().end;
        const QString text = (unterminated ? m_lineBreak : QString()) + u'[' + section + u']' +
                             m_lineBreak + key + u'=' + value + m_lineBreak;
        return spliced(m_textEnd, m_textEnd, text);
    }
    if (const std::optional<std::size_t> found = findKey(*header, key)) {
        const Line &line = m_lines[*found];
        return spliced(line.begin, line.end, line.name + u'=' + value);
    }
    std::size_t last = *header;
    const std::size_t end = sectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (m_lines[i].kind != Kind::Blank)
            last = i;
    }
    const Line &line = m_lines[last];
    if (line.next > line.end)
        return spliced(line.next, line.next, key + u'=' + value + m_lineBreak);
    return spliced(line.end, line.end, m_lineBreak + key + u'=' + value);
}

std::optional<QByteArray> IniDocument::spliced(qsizetype from, qsizetype to,
                                               const QString &text) const
{
    const std::optional<QByteArray> encoded = m_encoding.encode(text);
    if (!encoded)
        return widened(from, to, text);
    QByteArray bytes = m_bytes.first(from) + *encoded + m_bytes.sliced(to);
    // Taking out the only bytes that were not UTF-8 would make every other line of an 8-bit
    // file read as UTF-8.
    if (!m_encoding.readsAlike(IniEncoding::detect(bytes, m_encoding.unmarked())))
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> IniDocument::widened(qsizetype from, qsizetype to,
                                               const QString &text) const
{
    const QByteArrayView bytes(m_bytes);
    const qsizetype start = m_encoding.bomSize();
    return m_encoding.widenedFile(m_encoding.decode(bytes.sliced(start, from - start)) + text +
                                  m_encoding.decode(bytes.sliced(to, m_textEnd - to)));
}

} // namespace corvel
