#include "app/CorvelApplication.h"

#include "app/TopLevelErrorHandler.h"

namespace corvel {

CorvelApplication::CorvelApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool CorvelApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (!m_dialogs)
            throw;
        TopLevelErrorHandler::showCurrentException(*m_dialogs);
        return false;
    }
}

} // namespace corvel
