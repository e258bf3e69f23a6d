#pragma once

#include "platform/Waiting.h"

namespace corvel::test {

// Counts the waits the code under test marks, installed for as long as it lives.
class RecordingWaits : public WaitIndicator
{
public:
    RecordingWaits() : m_replaced(Waiting::install(this)) {}
    ~RecordingWaits() override { Waiting::install(m_replaced); }
    RecordingWaits(const RecordingWaits &) = delete;
    RecordingWaits &operator=(const RecordingWaits &) = delete;

    void beginWait() override
    {
        ++begun;
        ++depth;
    }
    void endWait() override { --depth; }

    int begun = 0;
    int depth = 0;

private:
    WaitIndicator *m_replaced;
};

} // namespace corvel::test
