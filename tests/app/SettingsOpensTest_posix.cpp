#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"

#include <QFile>
#include <QTest>

#include <sys/inotify.h>
#include <unistd.h>

using corvel::TDataModule1;
using corvel::test::Workstation;

namespace {

// The times a file in `folder` named `name` was opened while `work` ran.
template <typename Work> int opensOf(const QString &folder, const QByteArray &name, Work work)
{
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, QFile::encodeName(folder).constData(), IN_OPEN) < 0)
        return -1;
    work();
    int opens = 0;
    alignas(inotify_event) char buffer[16384];
    ssize_t length;
    while ((length = ::read(watch, buffer, sizeof buffer)) > 0) {
        for (char *at = buffer; at < buffer + length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(at);
            if (event->len > 0 && name == event->name)
                ++opens;
            at += sizeof(inotify_event) + event->len;
        }
    }
    ::close(watch);
    return opens;
}

} // namespace

class SettingsOpensTest : public QObject
{
    Q_OBJECT

private slots:
    // The step before each connection is one task on the settings file: it reads it once, and
    // once more only to write the default style into it.
    void connectingOpensTheSettingsFileOnceForReading()
    {
        Workstation ws;
        ws.useSeededDatabase();
        TDataModule1 dm(ws.launcherPath());
        QCOMPARE(opensOf(ws.folder(), "Workers.ini", [&] { dm.DataModuleCreate(); }), 1);
        QVERIFY(dm.ADOConnection1.isOpen());
    }
};

CORVEL_TEST(SettingsOpensTest)
#include "SettingsOpensTest_posix.moc"
