#include "settings/IniCodePage.h"

#include <windows.h>

#include <algorithm>
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
    // Under the UTF-8 code page the modules would read unmarked UTF-8 right, but the code page is
    // a setting that can change, and under any other they misread it: such text goes to UTF-16.
    if (GetACP() == CP_UTF8) {
        if (std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x80; }))
            return std::nullopt;
        return text.toLatin1();
    }
    const auto *units = reinterpret_cast<const wchar_t *>(text.utf16());
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, size, nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0)
        return std::nullopt;
    QByteArray bytes(length, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, size, bytes.data(), length, nullptr,
                        &usedDefault);
    // A character the code page lacks would come back as another one.
    if (usedDefault || decode(bytes) != text)
        return std::nullopt;
    return bytes;
}

} // namespace corvel::inicodepage
