#pragma once

#include <QString>

namespace moravel {

class Prompts;
class global;

// How the start of a program went: the window and the command line run the same steps and
// differ only in how they tell the user.
struct StartupOutcome {
    bool loaded = false;   // `global` holds the configuration and the log
    bool firstRun = false; // the first-run configuration was written on the way
    QString message;       // when not loaded: what the user must read, ready to show
};

// Loads the configuration and the log into `state` (a fresh one); when there is no
// configuration yet, writes the first-run configuration, the empty log and the archive folder,
// then loads again. Messages on the way (an unreadable log, a failed first run) go to `prompts`.
StartupOutcome loadOrCreateConfiguration(global& state, Prompts& prompts);

} // namespace moravel
