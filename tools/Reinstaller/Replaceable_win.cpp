#include <windows.h>

#include "Replaceable.h"

#include <QDir>

namespace {

QString systemText(DWORD error)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    const QString text = length != 0 ? QString::fromWCharArray(buffer, int(length)).trimmed()
                                     : QStringLiteral("Error %1").arg(error);
    LocalFree(buffer);
    return text;
}

} // namespace

Replaceable replaceable(const QString &installed, QString *reason)
{
    const std::wstring path = QDir::toNativeSeparators(installed).toStdWString();
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return Replaceable::Now;
    }
    const DWORD error = GetLastError();
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        // Still running: Windows holds an executable's file while its process lives.
        return Replaceable::InUse;
    case ERROR_FILE_NOT_FOUND:
        return Replaceable::Now;
    default:
        *reason = systemText(error);
        return Replaceable::Denied;
    }
}
