// One Launch click on the embedded database: the launcher's and the module's version read, their
// two queries and the start of the module, against starting the same module directly with
// QProcess::startDetached. Each started stub gets time to finish before the next run, so runs do
// not compete with the stubs for the processor.
#include "BenchSupport.h"
#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "launcher/ModuleCatalogue.h"
#include "launcher/ModuleLaunch.h"
#include "platform/DesktopShell.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

using namespace corvel;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qputenv("CORVEL_STUB_NO_WINDOW", "1");
    test::Workstation ws;
    ws.useSeededDatabase();
    const ModuleRecord &module = catalogue::tiles().at(1);
    ws.installExecutable(module.executable, QStringLiteral("1.0.0.0"));

    TDataModule1 dm(ws.launcherPath());
    dm.DataModuleCreate();
    dm.Current_UserID = QStringLiteral("admin");
    dm.Current_Password = QStringLiteral("admin1");
    test::ScriptedDialogService dialogs;
    DesktopShell shell(dm.Local_Path);
    const Services services{dialogs, shell};

    const int runs = 40;
    const auto letTheStubFinish = [] { QThread::msleep(150); };
    const double clickMs = bench::medianMs(
        runs, [&] { ModuleLaunch(dm, services).launch(module); }, letTheStubFinish);
    const double startMs = bench::medianMs(
        runs,
        [&] {
            QProcess::startDetached(ws.path(module.executable),
                                    {QStringLiteral("admin"), QStringLiteral("admin1")});
        },
        letTheStubFinish);
    if (!dialogs.boxes().isEmpty())
        qFatal("the launch showed a message: %s", qPrintable(dialogs.lastText()));
    bench::report("Launch click (SQLite, stub started)", clickMs, "ms", startMs,
                  "QProcess::startDetached of the stub");
    return 0;
}
