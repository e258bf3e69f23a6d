#include "platform/DesktopShell.h"

#include "platform/CommandLine.h"
#include "platform/DetachedProcess.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#ifdef Q_OS_WIN
#include <QApplication>
#include <QWidget>
// shellapi.h needs the types windows.h declares: two blocks keep them in that order.
#include <windows.h>

#include <shellapi.h>
#endif

namespace corvel {

namespace {

bool isBareName(const QString &file)
{
    return !file.contains(u'/') && !file.contains(u'\\');
}

// The address says what it names, not the launcher: "www.example.com/portal" is no path.
void openWebAddress(const QString &address)
{
#ifdef Q_OS_WIN
    ShellExecuteW(nullptr, L"open", reinterpret_cast<LPCWSTR>(address.utf16()), nullptr, nullptr,
                  SW_SHOWNORMAL);
#else
    // xdg-open would take an address without a scheme for a file: give it the web address
    // Windows' shell makes of it.
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
#endif
}

} // namespace

DesktopShell::DesktopShell(QString launcherFolder) : m_launcherFolder(std::move(launcherFolder)) {}

void DesktopShell::open(const QString &file, const QString &parameters, bool ownedByMainWindow)
{
    if (!ownedByMainWindow) {
        openWebAddress(file);
        return;
    }
    const QString program = isBareName(file) ? QDir(m_launcherFolder).filePath(file) : file;
#ifdef Q_OS_WIN
    QWidget *owner = QApplication::activeWindow();
    ShellExecuteW(owner != nullptr ? reinterpret_cast<HWND>(owner->winId()) : nullptr, L"open",
                  reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(program).utf16()),
                  reinterpret_cast<LPCWSTR>(parameters.utf16()), nullptr, SW_SHOWNORMAL);
#else
    DetachedProcess::start(program, commandline::splitWindowsArguments(parameters));
#endif
}

} // namespace corvel
