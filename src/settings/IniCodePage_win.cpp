#include "settings/IniCodePage.h"

#include <windows.h>

#include <climits>

namespace corvel::inicodepage {

QString decode(QByteArrayView bytes)
{
    if (bytes.isEmpty() || bytes.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return {};
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t *>(text.data()),
                        length);
    return text;
}

std::optional<QByteArray> encode(const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    if (text.size() > INT_MAX / 4)
        return std::nullopt;
    const auto *units = reinterpret_cast<const wchar_t *>(text.utf16());
    const int size = static_cast<int>(text.size());
    // The UTF-8 code page takes neither flag nor default-character report.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int length =
        WideCharToMultiByte(CP_ACP, flags, units, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::nullopt;
    QByteArray bytes(length, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, flags, units, size, bytes.data(), length, nullptr,
                        utf8 ? nullptr : &usedDefault);
    // A character the code page lacks would come back as another one.
    if (usedDefault || decode(bytes) != text)
        return std::nullopt;
    return bytes;
}

} // namespace corvel::inicodepage
