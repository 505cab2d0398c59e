#pragma once

namespace moravel {

class Prompts;

// Keeps a second command from starting while a cleaning run or a restore is under way: both
// let user input through between two items, and a command started from there would work on a
// plan or a log that the running one is changing. One guard is shared by every command of a
// program; the window greys its commands out while `isBusy()`.
class BusyGuard {
public:
    bool isBusy() const { return m_busy; }

    // Holds the guard for its lifetime, or refuses (with a message to the user) when it is
    // held already.
    class Scope {
    public:
        Scope(BusyGuard& guard, Prompts& prompts);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        bool entered() const { return m_entered; }

    private:
        BusyGuard& m_guard;
        bool m_entered = false;
    };

private:
    bool m_busy = false;
};

} // namespace moravel
