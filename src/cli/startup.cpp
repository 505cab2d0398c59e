#include "cli/startup.h"

#include "cli/clienvironment.h"
#include "cli/texts.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "storage/global.h"

namespace moravel {

namespace {
constexpr int loaded = 0;
constexpr int noConfigurationYet = 2;
} // namespace

bool loadState(global& state, CliEnvironment& env) {
    errorControl error;
    int result = state.loadConfiguration(error, env.prompts);
    if (result == noConfigurationYet) {
        if (!createDefaultConfiguration(env.locations, env.clock, env.prompts)) {
            // Some of its failures show no message of their own; never end without one.
            env.err << clitexts::firstRunFailed(env.locations.dataFolder()) << u'\n';
            env.err.flush();
            return false;
        }
        error = {};
        result = state.loadConfiguration(error, env.prompts);
    }
    if (result != loaded) {
        env.err << clitexts::configurationReadError() << error.message << u'\n';
        env.err.flush();
        return false;
    }
    return true;
}

} // namespace moravel
