#pragma once

namespace corvel {

// Shows the user that the program is busy; the windows install one that shows a busy cursor.
class WaitIndicator
{
public:
    virtual ~WaitIndicator() = default;
    virtual void beginWait() = 0;
    virtual void endWait() = 0;
};

// Marks a wait the user sits through (a database round trip, a copy) for as long as it lives,
// through the indicator installed when it began. Waits nest. No dialog may open inside one, or it
// would show the busy cursor too.
class Waiting
{
public:
    Waiting();
    ~Waiting();
    Waiting(const Waiting &) = delete;
    Waiting &operator=(const Waiting &) = delete;

    // Installs `indicator` (the caller keeps it; nullptr for none) and returns the one it replaces.
    static WaitIndicator *install(WaitIndicator *indicator);

private:
    WaitIndicator *m_indicator;
};

} // namespace corvel
