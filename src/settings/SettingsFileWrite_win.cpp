#include "settings/SettingsFileWrite.h"

#include <windows.h>

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

bool writeAt(HANDLE file, QByteArrayView bytes, LONGLONG offset)
{
    if (!seek(file, offset))
        return false;
    while (!bytes.isEmpty()) {
        const auto chunk = static_cast<DWORD>(std::min<qsizetype>(bytes.size(), 1 << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
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

Outcome writeThroughTemporary(const std::wstring &path, const QByteArray &bytes, bool exists)
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
    auto discard = qScopeGuard([&] { DeleteFileW(temporary.c_str()); });

    if (!writeAt(file.get(), bytes, 0) || !FlushFileBuffers(file.get()) || !file.close())
        return Outcome::Failed;
    if (!exists) {
        if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
            return Outcome::Failed;
        discard.dismiss();
        return Outcome::Written;
    }
    // Unlike a rename, this keeps the old file's security descriptor, attributes and streams, so
    // every user who could write the file still can.
    if (!ReplaceFileW(path.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                      nullptr, nullptr))
        return Outcome::TryInPlace;
    discard.dismiss();
    return Outcome::Written;
}

bool writeInPlace(const std::wstring &path, const QByteArray &bytes)
{
    Handle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
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
        !writeAt(handle, QByteArrayView(bytes).sliced(qsizetype(oldSize)), oldSize)) {
        truncateAt(handle, oldSize);
        return false;
    }
    if (!writeAt(handle, QByteArrayView(bytes).first(qsizetype(common)), 0) ||
        (newSize < oldSize && !truncateAt(handle, newSize)) || !FlushFileBuffers(handle)) {
        // Put the old text back as far as the disk still allows.
        writeAt(handle, previous, 0);
        truncateAt(handle, oldSize);
        FlushFileBuffers(handle);
        return false;
    }
    return file.close();
}

} // namespace

bool replaceContents(const QString &path, const QByteArray &bytes)
{
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(native.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    switch (writeThroughTemporary(native, bytes, exists)) {
    case Outcome::Written:
        return true;
    case Outcome::Failed:
        return false;
    case Outcome::TryInPlace:
        break;
    }
    return writeInPlace(native, bytes);
}

} // namespace corvel::settingsfile
