#include "app/CorvelApplication.h"
#include "app/DataModule1.h"
#include "app/StyleRegistry.h"
#include "app/TopLevelErrorHandler.h"
#include "launcher/MainForm.h"
#include "platform/DesktopShell.h"
#include "platform/QtDialogService.h"
#include "platform/Services.h"

int main(int argc, char *argv[])
{
    using namespace corvel;

    CorvelApplication app(argc, argv);
    app.setApplicationName(kApplicationTitle);
    app.setApplicationDisplayName(kApplicationTitle);
    app.setWindowIcon(QIcon(QStringLiteral(":/artwork/program.svg")));
    QtDialogService dialogs;
    app.setDialogService(&dialogs);

    TDataModule1 DataModule1(QCoreApplication::applicationFilePath());
    TopLevelErrorHandler::guard(dialogs, [&] { DataModule1.DataModuleCreate(); });

    DesktopShell shell(DataModule1.Local_Path.isEmpty() ? QCoreApplication::applicationDirPath()
                                                        : DataModule1.Local_Path);
    const Services services{dialogs, shell};
    TMainForm MainForm(DataModule1, services);
    StyleRegistry::applyStyle(DataModule1.ChoosenStyle, true, dialogs);
    MainForm.show();
    return app.exec();
}
