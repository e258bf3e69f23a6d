#include <windows.h>

#include "platform/BusyRetry_win.h"
#include "platform/FileOperationsNative.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <memory>

namespace corvel::fileops::native {

namespace {

constexpr DWORD kChunk = 1024 * 1024;

struct HandleCloser
{
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

std::wstring nativeName(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

QString systemText(DWORD error)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    QString text = length != 0 ? QString::fromWCharArray(buffer, int(length)).trimmed()
                               : QStringLiteral("Unknown error %1").arg(error);
    LocalFree(buffer);
    // The launcher's other file texts carry no final full stop.
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

[[noreturn]] void failWith(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        fail(kFileNotFound);
    case ERROR_PATH_NOT_FOUND:
        fail(kPathNotFound);
    case ERROR_ACCESS_DENIED:
        fail(kAccessDenied);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        fail(kFileExists);
    case ERROR_FILENAME_EXCED_RANGE:
        fail(kPathTooLong);
    default:
        fail(systemText(error));
    }
}

[[noreturn]] void failWithLastError()
{
    failWith(GetLastError());
}

Handle openSource(const QString &source)
{
    // Sharing no write access makes a file still being written fail to open.
    HANDLE handle = busyretry::createFile(nativeName(source).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
    if (handle == INVALID_HANDLE_VALUE)
        failWithLastError();
    Handle owned(handle);
    if (GetFileType(handle) != FILE_TYPE_DISK)
        failNotRegular(QDir::toNativeSeparators(source));
    return owned;
}

BY_HANDLE_FILE_INFORMATION informationOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(handle, &information))
        failWithLastError();
    return information;
}

quint64 sizeOf(const BY_HANDLE_FILE_INFORMATION &information)
{
    return (quint64(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
}

bool sameVersion(const BY_HANDLE_FILE_INFORMATION &before, const BY_HANDLE_FILE_INFORMATION &after)
{
    return sizeOf(before) == sizeOf(after) &&
           CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime) == 0;
}

Handle createStaged(const QString &folder, QString *path)
{
    for (int attempt = 0;; ++attempt) {
        *path = folder + u'/' + kCopyPrefix +
                QString::number(QRandomGenerator::global()->generate64() % 2176782336U, 36);
        HANDLE handle = CreateFileW(nativeName(*path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return Handle(handle);
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS || attempt == 100)
            failWith(error);
    }
}

// Copies `total` bytes; false when the source ends early.
bool copyBytes(HANDLE input, HANDLE output, quint64 total, const Progress &progress)
{
    quint64 size = total;
    QByteArray buffer(int(std::min<quint64>(size, kChunk)), Qt::Uninitialized);
    while (size > 0) {
        DWORD read = 0;
        if (!ReadFile(input, buffer.data(), DWORD(std::min<quint64>(size, kChunk)), &read, nullptr))
            failWithLastError();
        if (read == 0)
            return false;
        DWORD written = 0;
        if (!WriteFile(output, buffer.constData(), read, &written, nullptr))
            failWithLastError();
        if (written != read)
            failWith(ERROR_DISK_FULL);
        size -= read;
        progress(qint64(total - size), qint64(total));
    }
    return true;
}

bool grewPastEnd(HANDLE input)
{
    char extra = 0;
    DWORD read = 0;
    if (!ReadFile(input, &extra, 1, &read, nullptr))
        failWithLastError();
    return read > 0;
}

void finishCopy(const QString &source, HANDLE input, HANDLE output, const Progress &progress)
{
    const BY_HANDLE_FILE_INFORMATION before = informationOf(input);
    if (!copyBytes(input, output, sizeOf(before), progress) || grewPastEnd(input) ||
        !sameVersion(before, informationOf(input)))
        failChanged(source);
    // Like the platform's own copy, the copy keeps the source's write time.
    if (!SetFileTime(output, nullptr, nullptr, &before.ftLastWriteTime))
        failWithLastError();
    if (!FlushFileBuffers(output))
        failWithLastError();
}

// A read-only file is removed as Explorer removes it; the attribute says nothing about ownership.
void removeEntry(const std::wstring &name, DWORD attributes)
{
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        busyretry::retryWhileBusy([&] { return RemoveDirectoryW(name.c_str()) != 0; });
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        SetFileAttributesW(name.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    busyretry::deleteFile(name.c_str());
}

// GetFileAttributesW and the listing describe a reparse point itself; removing one with
// RemoveDirectoryW or DeleteFileW removes the link, never what it leads to.
void removeTreeAt(const std::wstring &name)
{
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        WIN32_FIND_DATAW entry = {};
        HANDLE find = FindFirstFileW((name + L"\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring child = entry.cFileName;
                if (child != L"." && child != L"..")
                    removeTreeAt(name + L'\\' + child);
            } while (FindNextFileW(find, &entry));
            FindClose(find);
        }
    }
    removeEntry(name, attributes);
}

} // namespace

void failWithSystemError(unsigned long code)
{
    failWith(DWORD(code));
}

// New files take the folder's inherited permissions, which is what Windows gives a replacement as
// well; there is no mode to keep.
QString stageCopy(const QString &source, const QString &folder, const QString &, Content,
                  const Progress &progress)
{
    const Handle input = openSource(source);
    QString staged;
    Handle output = createStaged(folder, &staged);
    try {
        finishCopy(QDir::toNativeSeparators(source), input.get(), output.get(), progress);
        if (!CloseHandle(output.release()))
            failWithLastError();
    } catch (...) {
        output.reset();
        busyretry::deleteFile(nativeName(staged).c_str());
        throw;
    }
    return staged;
}

void moveReplacing(const QString &from, const QString &to)
{
    if (!busyretry::moveFile(nativeName(from).c_str(), nativeName(to).c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failWithLastError();
}

void moveWithoutReplacing(const QString &from, const QString &to)
{
    if (!busyretry::moveFile(nativeName(from).c_str(), nativeName(to).c_str(),
                             MOVEFILE_WRITE_THROUGH))
        failWithLastError();
}

void removeFile(const QString &path)
{
    if (!busyretry::deleteFile(nativeName(path).c_str()))
        failWithLastError();
}

bool sameFile(const QString &first, const QString &second)
{
    const QString canonical = QFileInfo(first).canonicalFilePath();
    if (!canonical.isEmpty() && canonical == QFileInfo(second).canonicalFilePath())
        return true;
    // Hard links: the same file index on the same volume.
    const auto identity = [](const QString &path, BY_HANDLE_FILE_INFORMATION *information) {
        HANDLE handle = CreateFileW(nativeName(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        const Handle owned(handle);
        return GetFileInformationByHandle(handle, information) != 0;
    };
    BY_HANDLE_FILE_INFORMATION a = {};
    BY_HANDLE_FILE_INFORMATION b = {};
    return identity(first, &a) && identity(second, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// MOVEFILE_WRITE_THROUGH already makes each rename durable.
void syncFolder(const QString &) {}

Entry entryOf(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(nativeName(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Entry::Missing;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return Entry::Link;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return Entry::Folder;
    return (attributes & FILE_ATTRIBUTE_DEVICE) != 0 ? Entry::Other : Entry::File;
}

void removeTree(const QString &path)
{
    removeTreeAt(nativeName(path));
}

} // namespace corvel::fileops::native
