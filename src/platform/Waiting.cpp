#include "platform/Waiting.h"

namespace corvel {

namespace {

WaitIndicator *installed = nullptr;

} // namespace

Waiting::Waiting() : m_indicator(installed)
{
    if (m_indicator != nullptr)
        m_indicator->beginWait();
}

Waiting::~Waiting()
{
    if (m_indicator != nullptr)
        m_indicator->endWait();
}

WaitIndicator *Waiting::install(WaitIndicator *indicator)
{
    WaitIndicator *previous = installed;
    installed = indicator;
    return previous;
}

} // namespace corvel
