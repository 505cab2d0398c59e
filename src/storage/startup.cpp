#include "storage/startup.h"

#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "storage/configtexts.h"
#include "storage/global.h"

namespace moravel {

namespace {
constexpr int loaded = 0;
constexpr int noConfigurationYet = 2;
} // namespace

StartupOutcome loadOrCreateConfiguration(global& state, Prompts& prompts) {
    StartupOutcome outcome;
    errorControl error;
    int result = state.loadConfiguration(error, prompts);
    if (result == noConfigurationYet) {
        if (!createDefaultConfiguration(state.locations(), state.clock(), prompts)) {
            // Some of its failures show no message of their own; never end without one.
            outcome.message = configtexts::firstRunFailed(state.locations().dataFolder());
            return outcome;
        }
        outcome.firstRun = true;
        error = {};
        result = state.loadConfiguration(error, prompts);
    }
    if (result != loaded) {
        outcome.message = configtexts::configurationReadError() + error.message;
        return outcome;
    }
    outcome.loaded = true;
    return outcome;
}

} // namespace moravel
