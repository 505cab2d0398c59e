#pragma once

#include <QString>

namespace moravel {

class Prompts;
class UpdateService;
class UrlOpener;
class global;

// The step after every cleaning run that went ahead: sends the telemetry to the update service
// and, when it reports a newer version, the user wants notices and says Yes, opens the
// download page. A reply that is not a number is shown and ends the step. Returns true when
// the application must end now so that the new version can be installed; it stays running
// when no browser could open the page.
bool checkForUpdate(const global& state, Prompts& prompts, UrlOpener& opener,
                    const UpdateService& service);

// "Feedback and support": opens the feedback site with the telemetry, or tells the user that
// this build names no support site.
void openFeedbackSite(const global& state, const QString& feedbackHost, Prompts& prompts,
                      UrlOpener& opener);

} // namespace moravel
