// One Launch click on the embedded database: the launcher's and the module's version read, their
// two queries and the start of the module, against starting the same module directly.
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

    const int runs = 50;
    const double clickMs =
        bench::medianMs(runs, [&] { ModuleLaunch(dm, services).launch(module); });
    const double startMs = bench::medianMs(runs, [&] {
        QProcess::startDetached(ws.path(module.executable),
                                {QStringLiteral("admin"), QStringLiteral("admin1")});
    });
    if (!dialogs.boxes().isEmpty())
        qFatal("the launch showed a message: %s", qPrintable(dialogs.lastText()));
    bench::report("Launch click (SQLite, stub started)", clickMs, "ms", startMs,
                  "start the stub alone");
    return 0;
}
