#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

#ifdef Q_OS_WIN
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#else
#include <QFile>
#endif

namespace corvel::test {

// A symbolic link `link` to the folder `target`, on Windows a junction as Explorer's users make
// them. False where the system makes none (Wine 8 makes neither links nor junctions).
inline bool makeFolderLink(const QString &target, const QString &link)
{
#ifdef Q_OS_WIN
    // REPARSE_DATA_BUFFER of a mount point, which only the driver kit's headers declare.
    struct MountPoint
    {
        DWORD tag;
        WORD dataLength;
        WORD reserved;
        WORD substituteOffset;
        WORD substituteLength;
        WORD printOffset;
        WORD printLength;
        WCHAR names[MAX_PATH * 2 + 8];
    };
    const std::wstring printName = QDir::toNativeSeparators(target).toStdWString();
    const std::wstring substitute = L"\\??\\" + printName;
    const std::wstring name = QDir::toNativeSeparators(link).toStdWString();
    if (!CreateDirectoryW(name.c_str(), nullptr))
        return false;
    MountPoint data = {};
    data.tag = IO_REPARSE_TAG_MOUNT_POINT;
    data.substituteLength = WORD(substitute.size() * sizeof(WCHAR));
    data.printOffset = WORD(data.substituteLength + sizeof(WCHAR));
    data.printLength = WORD(printName.size() * sizeof(WCHAR));
    std::memcpy(data.names, substitute.c_str(), data.substituteLength);
    std::memcpy(data.names + substitute.size() + 1, printName.c_str(), data.printLength);
    data.dataLength = WORD(8 + data.printOffset + data.printLength + sizeof(WCHAR));
    const HANDLE handle =
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    DWORD returned = 0;
    const bool made = handle != INVALID_HANDLE_VALUE &&
                      DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, &data, data.dataLength + 8,
                                      nullptr, 0, &returned, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    if (!made)
        RemoveDirectoryW(name.c_str());
    return made;
#else
    return QFile::link(target, link);
#endif
}

// A symbolic link `link` to the file `target`. False where the system makes none (Windows without
// the right to, Wine 8).
inline bool makeFileLink(const QString &target, const QString &link)
{
#ifdef Q_OS_WIN
    CreateSymbolicLinkW(QDir::toNativeSeparators(link).toStdWString().c_str(),
                        QDir::toNativeSeparators(target).toStdWString().c_str(),
                        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    return QFileInfo(link).isSymLink();
#else
    return QFile::link(target, link);
#endif
}

} // namespace corvel::test
