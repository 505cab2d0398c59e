#include "storage/updatecheck.h"

#include "engine/errorcontrol.h"
#include "platform/prompts.h"
#include "platform/servicetexts.h"
#include "platform/updateservice.h"
#include "platform/urlopener.h"
#include "storage/global.h"

namespace moravel {

namespace {
bool openPage(const QUrl& url, Prompts& prompts, UrlOpener& opener) {
    if (opener.openUrl(url)) {
        return true;
    }
    // The user can still copy the address from the message.
    prompts.showMessage(texts::pageNotOpened(url.toString()));
    return false;
}
} // namespace

bool checkForUpdate(const global& state, Prompts& prompts, UrlOpener& opener,
                    const UpdateService& service) {
    // The request goes out after every run, whatever chkForUpdates says: the service counts
    // the telemetry.
    std::int32_t latest = 0;
    errorControl error;
    if (!service.latestVersionCode(state.telemetryString(), latest, error)) {
        prompts.showMessage(error.message);
        return false;
    }
    if (!state.chkForUpdates || latest <= state.versionCode) {
        return false;
    }
    if (!prompts.confirmYesNo(texts::newerVersionQuestion())) {
        return false;
    }
    return openPage(service.downloadPageUrl(state.telemetryString()), prompts, opener);
}

void openFeedbackSite(const global& state, const QString& feedbackHost, Prompts& prompts,
                      UrlOpener& opener) {
    const QUrl url = feedbackPageUrl(feedbackHost, state.telemetryString());
    if (url.isEmpty()) {
        prompts.showMessage(texts::noSupportSite());
        return;
    }
    openPage(url, prompts, opener);
}

} // namespace moravel
