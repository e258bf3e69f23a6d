#include "settings/SettingsFileWrite_win.h"

#include "platform/BusyRetry_win.h"
#include "settings/SettingsFileWrite.h"

#include <QDir>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <algorithm>
#include <string>
#include <utility>

namespace corvel::settingsfile {

namespace {

class Handle
{
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle()
    {
        if (valid())
            CloseHandle(m_handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    bool valid() const noexcept { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const noexcept { return m_handle; }
    bool close() { return CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE)) != 0; }

private:
    HANDLE m_handle;
};

bool seek(HANDLE file, LONGLONG offset)
{
    LARGE_INTEGER position;
    position.QuadPart = offset;
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

bool writeAt(const WindowsFileCalls &calls, HANDLE file, QByteArrayView bytes, LONGLONG offset)
{
    if (!seek(file, offset))
        return false;
    while (!bytes.isEmpty()) {
        const auto chunk = static_cast<DWORD>(std::min<qsizetype>(bytes.size(), 1 << 30));
        DWORD written = 0;
        if (!calls.write(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

bool readAll(HANDLE file, QByteArray &bytes)
{
    if (!seek(file, 0))
        return false;
    for (qsizetype done = 0; done < bytes.size();) {
        const auto chunk = static_cast<DWORD>(std::min<qsizetype>(bytes.size() - done, 1 << 30));
        DWORD read = 0;
        if (!ReadFile(file, bytes.data() + done, chunk, &read, nullptr) || read == 0)
            return false;
        done += read;
    }
    return true;
}

bool truncateAt(HANDLE file, LONGLONG size)
{
    return seek(file, size) && SetEndOfFile(file) != 0;
}

enum class Outcome
{
    Written,
    Failed,
    TryInPlace
};

bool present(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ReplaceFileW may fail after it has moved the old file away (errors 1176 and 1177), but a save
// never ends without the file: the old one goes back, for the rewrite in place to try again, or
// else the new one goes in. Only with the file in place may the temporary one go.
Outcome afterFailedReplace(const std::wstring &path, const std::wstring &temporary,
                           const std::wstring &backup)
{
    if (present(path)) {
        busyretry::deleteFile(backup.c_str());
        return Outcome::TryInPlace;
    }
    if (busyretry::moveFile(backup.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
        return Outcome::TryInPlace;
    return busyretry::moveFile(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)
               ? Outcome::Written
               : Outcome::Failed;
}

Outcome writeThroughTemporary(const std::wstring &path, const QByteArray &bytes, bool exists,
                              const WindowsFileCalls &calls)
{
    std::wstring temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; created == INVALID_HANDLE_VALUE && attempt < 8; ++attempt) {
        temporary = path + L".corvel-" + std::to_wstring(QRandomGenerator::global()->generate());
        created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (created == INVALID_HANDLE_VALUE)
        return exists ? Outcome::TryInPlace : Outcome::Failed;
    Handle file(created);
    // Closed first: Windows deletes no file that is still open without shared delete access.
    auto discard = qScopeGuard([&] {
        if (file.valid())
            file.close();
        busyretry::deleteFile(temporary.c_str());
    });

    if (!writeAt(calls, file.get(), bytes, 0) || !FlushFileBuffers(file.get()) || !file.close())
        return Outcome::Failed;
    if (!exists) {
        if (!busyretry::moveFile(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
            return Outcome::Failed;
        discard.dismiss();
        return Outcome::Written;
    }
    // Unlike a rename, this keeps the old file's security descriptor, attributes and streams, so
    // every user who could write the file still can. With a backup name, what a failure leaves is
    // known.
    const std::wstring backup = temporary + L".old";
    if (!busyretry::retryWhileBusy([&] {
            return calls.replace(path.c_str(), temporary.c_str(), backup.c_str(),
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
        })) {
        const Outcome outcome = afterFailedReplace(path, temporary, backup);
        if (outcome != Outcome::TryInPlace)
            discard.dismiss();
        return outcome;
    }
    discard.dismiss();
    busyretry::deleteFile(backup.c_str());
    return Outcome::Written;
}

bool writeInPlace(const std::wstring &path, const QByteArray &bytes, const WindowsFileCalls &calls)
{
    Handle file(busyretry::createFile(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL));
    LARGE_INTEGER size;
    if (!file.valid() || !GetFileSizeEx(file.get(), &size))
        return false;
    const HANDLE handle = file.get();
    const LONGLONG oldSize = size.QuadPart;
    const auto newSize = static_cast<LONGLONG>(bytes.size());
    const LONGLONG common = std::min(oldSize, newSize);
    QByteArray previous(qsizetype(oldSize), Qt::Uninitialized);
    if (!readAll(handle, previous))
        return false;

    // The new tail goes past the old end first, so a full disk stops the write before any old
    // byte has changed.
    if (newSize > oldSize &&
        !writeAt(calls, handle, QByteArrayView(bytes).sliced(qsizetype(oldSize)), oldSize)) {
        truncateAt(handle, oldSize);
        return false;
    }
    if (!writeAt(calls, handle, QByteArrayView(bytes).first(qsizetype(common)), 0) ||
        (newSize < oldSize && !truncateAt(handle, newSize)) || !FlushFileBuffers(handle)) {
        // Put the old text back as far as the disk still allows.
        writeAt(calls, handle, previous, 0);
        truncateAt(handle, oldSize);
        FlushFileBuffers(handle);
        return false;
    }
    return file.close();
}

} // namespace

bool replaceContents(const QString &path, const QByteArray &bytes)
{
    return replaceContents(path, bytes, WindowsFileCalls());
}

bool replaceContents(const QString &path, const QByteArray &bytes, const WindowsFileCalls &calls)
{
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(native.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    switch (writeThroughTemporary(native, bytes, exists, calls)) {
    case Outcome::Written:
        return true;
    case Outcome::Failed:
        return false;
    case Outcome::TryInPlace:
        break;
    }
    return writeInPlace(native, bytes, calls);
}

} // namespace corvel::settingsfile
