// The launcher for the start-up benchmark: what CorvelLauncher.exe's main() does, on the
// workstation whose CorvelLauncher.exe is named on the command line, linking what the launcher
// links and nothing more. Message boxes are recorded instead of shown, and any box fails the run.
// Prints "shown <peak KiB>" once the main window's first frame is painted, then ends.
#include "../FirstFrame.h"
#include "ScriptedDialogService.h"

#include "app/Artwork.h"
#include "app/CorvelApplication.h"
#include "app/DataModule1.h"
#include "app/StartUp.h"
#include "launcher/MainForm.h"
#include "platform/DesktopShell.h"

#include <QFileInfo>
#include <memory>

int main(int argc, char *argv[])
{
    using namespace corvel;
    if (argc != 2)
        return 2;
    const QString launcherPath = QString::fromLocal8Bit(argv[1]);
    test::ScriptedDialogService dialogs;
    CorvelApplication app(argc, argv);
    app.setApplicationName(kApplicationTitle);
    app.setWindowIcon(artwork::icon(QStringLiteral(":/artwork/program.png")));
    app.setDialogService(&dialogs);
    DesktopShell shell(QFileInfo(launcherPath).path());
    TDataModule1 DataModule1(launcherPath);
    std::unique_ptr<TMainForm> MainForm;
    StartUp::run(DataModule1, dialogs, [&] {
        MainForm = std::make_unique<TMainForm>(DataModule1, Services{dialogs, shell});
    });
    bench::showFirstFrameAndExit(*MainForm, dialogs.boxes().isEmpty() ? 0 : 1);
}
