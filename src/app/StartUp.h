#pragma once

#include <functional>

namespace corvel {

class DialogService;
class TDataModule1;

// Start-up between the application object and the event loop: the data module connects, then
// the main window is created, then the stored style is applied. Errors of the connection go to
// the top-level error box, so every box of start-up is shown before the main window is.
class StartUp
{
public:
    static void run(TDataModule1 &dataModule, DialogService &dialogs,
                    const std::function<void()> &createMainWindow);
};

} // namespace corvel
