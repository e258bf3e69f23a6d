#include "app/StartUp.h"

#include "app/DataModule1.h"
#include "app/StyleRegistry.h"
#include "app/TopLevelErrorHandler.h"

namespace corvel {

void StartUp::run(TDataModule1 &dataModule, DialogService &dialogs,
                  const std::function<void()> &createMainWindow)
{
    TopLevelErrorHandler::guard(dialogs, [&] { dataModule.DataModuleCreate(); });
    createMainWindow();
    StyleRegistry::applyStyle(dataModule.ChoosenStyle, true, dialogs);
}

} // namespace corvel
