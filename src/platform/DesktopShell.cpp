#include "platform/DesktopShell.h"

#include "platform/CommandLine.h"
#include "platform/DetachedProcess.h"

#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>
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

// A scheme of two letters or more, so a drive letter ("C:") is not taken for one.
bool isWebAddress(const QString &file)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(file).hasMatch();
}

bool isBareName(const QString &file)
{
    return !file.contains(u'/') && !file.contains(u'\\');
}

} // namespace

DesktopShell::DesktopShell(QString launcherFolder) : m_launcherFolder(std::move(launcherFolder)) {}

void DesktopShell::open(const QString &file, const QString &parameters, bool ownedByMainWindow)
{
    if (isWebAddress(file)) {
        QDesktopServices::openUrl(QUrl(file));
        return;
    }
    const QString program = isBareName(file) ? QDir(m_launcherFolder).filePath(file) : file;
#ifdef Q_OS_WIN
    QWidget *owner = ownedByMainWindow ? QApplication::activeWindow() : nullptr;
    ShellExecuteW(owner != nullptr ? reinterpret_cast<HWND>(owner->winId()) : nullptr, L"open",
                  reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(program).utf16()),
                  reinterpret_cast<LPCWSTR>(parameters.utf16()), nullptr, SW_SHOWNORMAL);
#else
    Q_UNUSED(ownedByMainWindow);
    DetachedProcess::start(program, commandline::splitWindowsArguments(parameters));
#endif
}

} // namespace corvel
