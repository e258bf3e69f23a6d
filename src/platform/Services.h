#pragma once

namespace corvel {

class DialogService;
class ShellService;

// What a window needs from the platform besides the data module, handed in by whoever opens it.
struct Services
{
    DialogService &dialogs;
    ShellService &shell;
};

} // namespace corvel
