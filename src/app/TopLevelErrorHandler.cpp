#include "app/TopLevelErrorHandler.h"

#include "platform/DialogService.h"
#include "platform/Error.h"

#include <exception>

namespace corvel {

QString TopLevelErrorHandler::boxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void TopLevelErrorHandler::show(DialogService &dialogs, const QString &message)
{
    dialogs.showMessage({kApplicationTitle,
                         MessageIcon::Error,
                         boxText(message),
                         {DialogButton::Ok},
                         DialogButton::Ok});
}

void TopLevelErrorHandler::showCurrentException(DialogService &dialogs)
{
    try {
        throw;
    } catch (const Error &e) {
        show(dialogs, e.message());
    } catch (const std::exception &e) {
        show(dialogs, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        show(dialogs, QStringLiteral("Unknown error"));
    }
}

} // namespace corvel
