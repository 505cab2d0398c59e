#pragma once

#include <QString>
#include <QUrl>

#include <chrono>
#include <cstdint>

namespace moravel {

class errorControl;

// The site roots named by the build; empty when the build names none.
QString configuredUpdateHost();
QString configuredFeedbackHost();

// The feedback site's root with the telemetry, or an empty address when there is no host.
QUrl feedbackPageUrl(const QString& feedbackHost, const QString& hexTelemetry);

// The maker's update service: asks it for the newest version number and names the download
// page. The host is a site root such as "http://example.org/"; an empty host means the build
// has no update service and nothing is ever sent.
class UpdateService {
public:
    static constexpr std::chrono::milliseconds defaultTimeout{10000};
    // A version number is a few bytes; anything bigger is not our service talking.
    static constexpr qint64 maxReplySize = 64 * 1024;

    explicit UpdateService(const QString& host = configuredUpdateHost(),
                           std::chrono::milliseconds timeout = defaultTimeout);

    const QString& host() const { return m_host; }
    QUrl versionQueryUrl(const QString& hexTelemetry) const;
    QUrl downloadPageUrl(const QString& hexTelemetry) const;

    // Asks the service for the newest version number and waits for the answer, letting the
    // window repaint but keeping user input out meanwhile. `version` is 0 when the service
    // cannot be reached: no host, no network, no answer within the time-out, or an answer
    // longer than maxReplySize. Returns false, with the reason in `error`, when the service
    // answered with something other than an integer (an error page, an empty body, text).
    bool latestVersionCode(const QString& hexTelemetry, std::int32_t& version,
                           errorControl& error) const;

private:
    QString m_host;
    std::chrono::milliseconds m_timeout;
};

} // namespace moravel
