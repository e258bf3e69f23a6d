#pragma once

#include <QString>
#include <QStringList>

namespace corvel {

class DialogService;

// The named looks every window is drawn in, one at a time: the platform's own plain look
// "Windows" and thirty styles compiled into the program. Applying one restyles every open window.
class StyleRegistry
{
public:
    static inline const QString kPlainStyle = QStringLiteral("Windows");

    // "Windows" first, then the thirty compiled-in styles.
    static QStringList styleNames();
    // Looks the name up without regard to letter case. When it is not found and `reportFailure`
    // is set, shows "Style '<name>' not found" (caption "Error", error icon, one "Close" button).
    static bool applyStyle(const QString &name, bool reportFailure, DialogService &dialogs);
    // The display name of the active style; "Windows" before any other was applied.
    static QString activeStyle();
};

} // namespace corvel
