#include "platform/DialogService.h"

namespace corvel {

void DialogService::showPlain(const QString &text)
{
    showMessage({kApplicationTitle, MessageIcon::None, text, {DialogButton::Ok}, DialogButton::Ok});
}

bool DialogService::confirm(const QString &text)
{
    const MessageBoxSpec box{QStringLiteral("Confirm"),
                             MessageIcon::Question,
                             text,
                             {DialogButton::Ok, DialogButton::Cancel},
                             DialogButton::Ok};
    return showMessage(box) == DialogButton::Ok;
}

} // namespace corvel
