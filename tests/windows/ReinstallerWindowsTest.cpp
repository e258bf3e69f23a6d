// The reinstaller on Windows: a launcher that is still running (its file held open), a read-only
// distribution copy, and another upgrade holding the launcher's folder.
#include "QuietPrograms.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "platform/LockFile_win.h"
#include "platform/VersionResource.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <windows.h>

#include <optional>
#include <thread>

using corvel::test::Workstation;

namespace {

const QString kReinstaller = QStringLiteral(CORVEL_BIN_DIR "/Reinstaller.exe");

} // namespace

class ReinstallerWindowsTest : public QObject
{
    Q_OBJECT

    std::optional<QuietPrograms> m_quiet;

private slots:
    void init() { m_quiet.emplace(); }
    void cleanup() { m_quiet.reset(); }

    void replacesARunningLauncherOnceItLetsGoAndStartsTheNewOne()
    {
        Workstation workstation;
        // Windows keeps a running program's file open, sharing no write access.
        const HANDLE running =
            CreateFileW(nativeName(workstation.launcherPath()).c_str(), GENERIC_READ,
                        FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(running != INVALID_HANDLE_VALUE);
        reinstallAfter(workstation, running);
    }

    void waitsWhileAnotherUpgradeHoldsTheFolder()
    {
        Workstation workstation;
        const corvel::lockfile::Lock upgrade = corvel::lockfile::acquire(
            nativeName(workstation.path(QStringLiteral(".corvel-upgrade.lock"))),
            std::chrono::milliseconds(0));
        QCOMPARE(upgrade.outcome, corvel::lockfile::Outcome::Locked);
        reinstallAfter(workstation, upgrade.handle);
    }

private:
    static std::wstring nativeName(const QString &path)
    {
        return QDir::toNativeSeparators(path).toStdWString();
    }

    // Runs the reinstaller while `held` is open, closes it after a second and a half, and checks
    // that the distribution copy took the installed launcher's place only then and was started.
    static void reinstallAfter(Workstation &workstation, HANDLE held)
    {
        const QString copy =
            workstation.distributionFolder() + QStringLiteral("CorvelLauncher.exe");
        workstation.installExecutableIn(workstation.distributionFolder(),
                                        QStringLiteral("CorvelLauncher.exe"),
                                        QStringLiteral("1.1.0.0"));
        // Shares often hand their files out read-only.
        QVERIFY(SetFileAttributesW(nativeName(copy).c_str(), FILE_ATTRIBUTE_READONLY));
        std::thread release([held] {
            Sleep(1500);
            CloseHandle(held);
        });
        QElapsedTimer elapsed;
        elapsed.start();
        QProcess reinstaller;
        reinstaller.start(kReinstaller, {workstation.launcherPath(), copy});
        const bool finished = reinstaller.waitForFinished(40000);
        release.join();
        QVERIFY(finished);

        QCOMPARE(reinstaller.exitCode(), 0);
        QVERIFY2(elapsed.elapsed() >= 1400, "did not wait");
        QCOMPARE(corvel::versionresource::read(workstation.launcherPath()).toString(),
                 QStringLiteral("1.1.0.0"));
        QVERIFY2((GetFileAttributesW(nativeName(workstation.launcherPath()).c_str()) &
                  FILE_ATTRIBUTE_READONLY) == 0,
                 "the new launcher is read-only");
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(workstation.path(QStringLiteral("CorvelLauncher.args"))), 10000);
        QCOMPARE(QDir(workstation.folder())
                     .entryList({QStringLiteral(".corvel-copy-*")}, QDir::Files | QDir::Hidden),
                 QStringList());
    }
};

CORVEL_TEST(ReinstallerWindowsTest)
#include "ReinstallerWindowsTest.moc"
