#include "platform/BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace corvel {

BusyCursor::BusyCursor() : m_replaced(Waiting::install(this)) {}

BusyCursor::~BusyCursor()
{
    Waiting::install(m_replaced);
}

void BusyCursor::beginWait()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void BusyCursor::endWait()
{
    QGuiApplication::restoreOverrideCursor();
}

} // namespace corvel
