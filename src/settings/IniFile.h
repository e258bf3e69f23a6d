#pragma once

#include <QString>

namespace corvel {

// Workers.ini with the semantics of the Windows profile-string functions. Every call opens the
// file, does its one task and releases it: nothing is cached, so a read sees every earlier write.
// Rewrites keep the file's encoding and every line they do not change, byte for byte, and the
// file's owner, group and mode; they replace the file atomically where its folder allows. On
// Windows a file in the code page that cannot hold a new value becomes UTF-16, keeping the text
// of every other line.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString &path() const noexcept { return m_path; }

    // The value after the first "=", without surrounding blanks and one pair of enclosing quotes,
    // cut to 2047 characters; `defaultValue` when the file, section or key is absent.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    // Throws SettingsWriteError ("Unable to write to <path>") when the file cannot be written.
    void writeString(const QString &section, const QString &key, const QString &value);
    // True when the section exists and holds at least one key.
    bool sectionHasKeys(const QString &section) const;

    static constexpr int MaxValueLength = 2047;

private:
    QString m_path;
};

} // namespace corvel
