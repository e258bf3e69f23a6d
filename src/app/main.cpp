#include "app/Artwork.h"
#include "app/CorvelApplication.h"
#include "app/DataModule1.h"
#include "app/StartUp.h"
#include "launcher/MainForm.h"
#include "platform/BusyCursor.h"
#include "platform/DesktopShell.h"
#include "platform/QtDialogService.h"
#include "platform/Services.h"

#include <memory>

int main(int argc, char *argv[])
{
    using namespace corvel;

    // Outlives the application object, whose last events may still reach the error box.
    QtDialogService dialogs;
    CorvelApplication app(argc, argv);
    // Only the application name: a display name would be appended to every window title.
    app.setApplicationName(kApplicationTitle);
    app.setWindowIcon(artwork::icon(QStringLiteral(":/artwork/program.png")));
    app.setDialogService(&dialogs);
    const BusyCursor busyCursor;

    DesktopShell shell(QCoreApplication::applicationDirPath());
    const Services services{dialogs, shell};

    TDataModule1 DataModule1(QCoreApplication::applicationFilePath());
    std::unique_ptr<TMainForm> MainForm;
    StartUp::run(DataModule1, dialogs,
                 [&] { MainForm = std::make_unique<TMainForm>(DataModule1, services); });
    MainForm->show();
    app.exec();
    return 0;
}
