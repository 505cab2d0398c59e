#include "cli/startup.h"

#include "cli/clienvironment.h"
#include "storage/startup.h"

namespace moravel {

bool loadState(global& state, CliEnvironment& env) {
    const StartupOutcome outcome = loadOrCreateConfiguration(state, env.prompts);
    if (!outcome.loaded) {
        env.err << outcome.message << u'\n';
        env.err.flush();
    }
    return outcome.loaded;
}

} // namespace moravel
