#pragma once

#include "platform/Waiting.h"

namespace corvel {

// Shows the busy cursor over every window of the program while a wait lasts, from its creation to
// its end, when the indicator it replaced is put back.
class BusyCursor : public WaitIndicator
{
public:
    BusyCursor();
    ~BusyCursor() override;
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

    void beginWait() override;
    void endWait() override;

private:
    WaitIndicator *m_replaced;
};

} // namespace corvel
