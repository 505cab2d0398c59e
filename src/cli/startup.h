#pragma once

namespace moravel {

class CliEnvironment;
class global;

// Loads the configuration and the log into `state` as the window does at its start; on the first
// run writes the first-run configuration, the empty log and the archive folder, then loads them.
// On failure the reason is on `env.err` and the result is false.
bool loadState(global& state, CliEnvironment& env);

} // namespace moravel
