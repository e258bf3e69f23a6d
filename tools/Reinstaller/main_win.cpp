// Reinstaller.exe "<installed launcher>" "<distribution copy>" on Windows: waits for the launcher
// to exit, puts the distribution copy in its place and starts it again. When that fails it starts
// the installed launcher again and says why in a message box (on stderr as well, and only there
// when CORVEL_REINSTALLER_NO_WINDOW is set, as the tests do). It does what main_posix.cpp does
// elsewhere, with Windows' own functions alone, so that it carries no Qt.
#include <windows.h>

#include <shellapi.h>

#include "platform/BusyRetry_win.h"
#include "platform/LockFile_win.h"

#include <cstdio>
#include <cwctype>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWaitMilliseconds = 30000;
constexpr DWORD kPollMilliseconds = 200;
// What the launcher's own upgrades hold while they change its folder, and how long they wait.
const std::wstring kLockFile = L".corvel-upgrade.lock";
constexpr std::chrono::milliseconds kLockWait{10000};
const std::wstring kCopyPrefix = L".corvel-copy-";
const wchar_t kCaption[] = L"Corvel Launcher";

struct Failure
{
    std::wstring text;
};

// `pattern` with %1, %2, ... replaced by `values`.
std::wstring arg(const std::wstring &pattern, std::initializer_list<std::wstring> values)
{
    std::wstring text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::size_t index = i + 1 < pattern.size() ? std::size_t(pattern[i + 1] - L'1') : 9;
        if (pattern[i] == L'%' && index < values.size()) {
            text += values.begin()[index];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

std::wstring systemText(DWORD error)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text =
        length != 0 ? std::wstring(buffer, length) : L"Error " + std::to_wstring(error);
    LocalFree(buffer);
    while (!text.empty() && (iswspace(text.back()) || text.back() == L'.'))
        text.pop_back();
    return text;
}

DWORD attributesOf(const std::wstring &path)
{
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
}

bool isFolder(const std::wstring &path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isFile(const std::wstring &path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring absolute(const std::wstring &path)
{
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
        if (length == 0)
            return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);
    }
}

std::wstring folderOf(const std::wstring &absolutePath)
{
    return absolutePath.substr(0, absolutePath.find_last_of(L"\\/"));
}

// Links, hard links and different spellings of one path all name the same file.
bool sameFile(const std::wstring &first, const std::wstring &second)
{
    const auto identity = [](const std::wstring &path, BY_HANDLE_FILE_INFORMATION *information) {
        HANDLE handle =
            CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        const bool known = GetFileInformationByHandle(handle, information) != 0;
        CloseHandle(handle);
        return known;
    };
    BY_HANDLE_FILE_INFORMATION a = {};
    BY_HANDLE_FILE_INFORMATION b = {};
    return identity(first, &a) && identity(second, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

enum class Replaceable
{
    Now,
    InUse,
    Denied
};

// A running launcher holds its file only until it has exited, so that is worth waiting for; a
// file this user may not change never frees itself.
Replaceable replaceable(const std::wstring &installed, std::wstring *reason)
{
    HANDLE handle = CreateFileW(installed.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
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

void waitUntilReplaceable(const std::wstring &installed)
{
    const ULONGLONG deadline = GetTickCount64() + kWaitMilliseconds;
    for (;;) {
        std::wstring reason;
        switch (replaceable(installed, &reason)) {
        case Replaceable::Now:
            return;
        case Replaceable::Denied:
            throw Failure{arg(L"%1 cannot be replaced: %2", {installed, reason})};
        case Replaceable::InUse:
            if (GetTickCount64() >= deadline)
                throw Failure{arg(L"%1 is still running", {installed})};
            Sleep(kPollMilliseconds);
        }
    }
}

// Holds the launcher folder's upgrade lock for as long as it lives.
class FolderLock
{
public:
    explicit FolderLock(const std::wstring &folder)
    {
        const std::wstring path = folder + L'\\' + kLockFile;
        const corvel::lockfile::Lock lock = corvel::lockfile::acquire(path, kLockWait);
        switch (lock.outcome) {
        case corvel::lockfile::Outcome::Locked:
            m_handle = lock.handle;
            return;
        case corvel::lockfile::Outcome::Busy:
            throw Failure{
                arg(L"Another upgrade of %1 is running. Try again when it has finished", {folder})};
        case corvel::lockfile::Outcome::NotAFile:
            throw Failure{arg(L"%1 is not a regular file, so no upgrade was started", {path})};
        case corvel::lockfile::Outcome::Failed:
            throw Failure{systemText(lock.error)};
        }
    }
    ~FolderLock() { CloseHandle(m_handle); }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

bool sameVersion(const WIN32_FILE_ATTRIBUTE_DATA &before, const WIN32_FILE_ATTRIBUTE_DATA &after)
{
    return before.nFileSizeHigh == after.nFileSizeHigh &&
           before.nFileSizeLow == after.nFileSizeLow &&
           CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime) == 0;
}

// A complete, flushed copy of `source` under a new name in `folder`; nothing is left behind when
// it fails, or when the source changes while it is copied.
std::wstring stageCopy(const std::wstring &source, const std::wstring &folder)
{
    WIN32_FILE_ATTRIBUTE_DATA before = {};
    if (!GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &before))
        throw Failure{systemText(GetLastError())};
    const std::wstring staged = folder + L'\\' + kCopyPrefix +
                                std::to_wstring(GetCurrentProcessId()) + L'-' +
                                std::to_wstring(GetTickCount64());
    const auto fail = [&staged](const std::wstring &text) {
        DeleteFileW(staged.c_str());
        throw Failure{text};
    };
    if (!corvel::busyretry::retryWhileBusy([&] {
            return CopyFileExW(source.c_str(), staged.c_str(), nullptr, nullptr, nullptr,
                               COPY_FILE_FAIL_IF_EXISTS) != 0;
        }))
        fail(systemText(GetLastError()));
    WIN32_FILE_ATTRIBUTE_DATA after = {};
    if (!GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &after) ||
        !sameVersion(before, after))
        fail(arg(L"%1 changed while it was being copied", {source}));
    // A share often marks its files read-only; the installed launcher must stay replaceable.
    if (!SetFileAttributesW(staged.c_str(), FILE_ATTRIBUTE_NORMAL))
        fail(systemText(GetLastError()));
    HANDLE written = CreateFileW(staged.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool flushed = written != INVALID_HANDLE_VALUE && FlushFileBuffers(written);
    const DWORD error = GetLastError();
    if (written != INVALID_HANDLE_VALUE)
        CloseHandle(written);
    if (!flushed)
        fail(systemText(error));
    return staged;
}

void replace(const std::wstring &distribution, const std::wstring &installed)
{
    const FolderLock lock(folderOf(installed));
    const std::wstring staged = stageCopy(distribution, folderOf(installed));
    if (!corvel::busyretry::moveFile(staged.c_str(), installed.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(staged.c_str());
        throw Failure{systemText(error)};
    }
}

bool start(const std::wstring &launcher)
{
    if (!isFile(launcher))
        return false;
    const std::wstring path = absolute(launcher);
    std::wstring commandLine = L'"' + path + L'"';
    const std::wstring folder = folderOf(path);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, nullptr, folder.c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void run(const std::vector<std::wstring> &arguments)
{
    if (arguments.size() != 2 || arguments[0].empty() || arguments[1].empty())
        throw Failure{L"Usage: Reinstaller.exe \"<installed launcher>\" \"<distribution copy>\""};
    const std::wstring &installed = arguments[0];
    const std::wstring &distribution = arguments[1];
    if (isFolder(installed))
        throw Failure{arg(L"%1 is a folder", {installed})};
    if (!isFile(distribution))
        throw Failure{arg(L"%1 does not exist", {distribution})};
    if (attributesOf(installed) != INVALID_FILE_ATTRIBUTES && sameFile(installed, distribution))
        throw Failure{arg(L"%1 is the installed launcher itself", {distribution})};

    waitUntilReplaceable(absolute(installed));
    try {
        replace(absolute(distribution), absolute(installed));
    } catch (const Failure &failure) {
        throw Failure{
            arg(L"Cannot replace %1 with %2: %3", {installed, distribution, failure.text})};
    }
    if (!start(installed))
        throw Failure{arg(L"The new launcher is in place but could not be started: %1",
                          {absolute(installed)})};
}

void tell(const std::wstring &text, bool windowless)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    std::fprintf(stderr, "Reinstaller: %s\n", bytes.c_str());
    std::fflush(stderr);
    if (!windowless)
        MessageBoxW(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

// The box comes first: a launcher started before it would cover it.
void report(const std::wstring &reason, const std::wstring &installed, bool windowless)
{
    const bool restart = isFile(installed);
    std::wstring text = L"The launcher could not be upgraded.\n\n" + reason;
    if (restart)
        text += L"\n\nThe installed launcher starts again when you close this message.";
    tell(text, windowless);
    if (restart && !start(installed))
        tell(arg(L"%1 could not be started.", {absolute(installed)}), windowless);
}

std::vector<std::wstring> commandLineArguments()
{
    int count = 0;
    wchar_t **words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 1; words && i < count; ++i)
        arguments.emplace_back(words[i]);
    LocalFree(words);
    return arguments;
}

} // namespace

int main()
{
    const bool windowless =
        GetEnvironmentVariableW(L"CORVEL_REINSTALLER_NO_WINDOW", nullptr, 0) != 0;
    const std::vector<std::wstring> arguments = commandLineArguments();
    try {
        run(arguments);
    } catch (const Failure &failure) {
        report(failure.text, arguments.empty() ? std::wstring() : arguments[0], windowless);
        return 1;
    }
    return 0;
}
