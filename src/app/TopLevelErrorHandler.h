#pragma once

#include <QString>

namespace corvel {

class DialogService;

// Shows every error that no handler caught: caption "Corvel Launcher", error icon, one OK button.
// The program carries on afterwards.
class TopLevelErrorHandler
{
public:
    // The message with a full stop appended when it is non-empty and its last character's code is
    // above that of ".".
    static QString boxText(const QString &message);
    static void show(DialogService &dialogs, const QString &message);
    // Call from inside a catch block: shows the exception being handled.
    static void showCurrentException(DialogService &dialogs);

    // Runs `handler`, showing whatever it throws. Event handlers and window creation go through
    // here, so an exception never unwinds through the toolkit.
    template <typename Handler> static void guard(DialogService &dialogs, Handler &&handler)
    {
        try {
            handler();
        } catch (...) {
            showCurrentException(dialogs);
        }
    }
};

} // namespace corvel
