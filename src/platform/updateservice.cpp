#include "platform/updateservice.h"

#include "engine/errorcontrol.h"
#include "platform/servicetexts.h"
#include "platform/validateinteger.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace moravel {

namespace {

// A site root always ends in "/" so that page names can simply follow it.
QString siteRoot(const QString& host) {
    const QString trimmed = host.trimmed();
    if (trimmed.isEmpty() || trimmed.endsWith(u'/')) {
        return trimmed;
    }
    return trimmed + u'/';
}

QUrl pageUrl(const QString& root, const QString& page, const QString& hexTelemetry) {
    if (root.isEmpty()) {
        return {};
    }
    return QUrl(root + page + QStringLiteral("?hbase=") + hexTelemetry);
}

// A reply text shown in a message box is cut short: an error page would not fit the screen.
QString shownReply(const QString& text) {
    constexpr qsizetype shownLength = 200;
    if (text.size() <= shownLength) {
        return text;
    }
    return text.left(shownLength) + u'\x2026';
}

// True when the server sent an HTTP answer, even an error page; false for failures below
// HTTP (refused connection, unknown host, broken transfer) where no answer exists.
bool serverAnswered(const QNetworkReply& reply) {
    if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
        return false;
    }
    const int code = reply.error();
    const bool belowHttp = code > 0 && code < 200;
    const bool protocolFailure = code >= 300 && code < 400;
    return !belowHttp && !protocolFailure;
}

} // namespace

QString configuredUpdateHost() {
    return QStringLiteral(MORAVEL_UPDATE_HOST);
}

QString configuredFeedbackHost() {
    return QStringLiteral(MORAVEL_FEEDBACK_HOST);
}

QUrl feedbackPageUrl(const QString& feedbackHost, const QString& hexTelemetry) {
    return pageUrl(siteRoot(feedbackHost), QString(), hexTelemetry);
}

UpdateService::UpdateService(const QString& host, std::chrono::milliseconds timeout)
    : m_host(siteRoot(host)), m_timeout(timeout) {}

QUrl UpdateService::versionQueryUrl(const QString& hexTelemetry) const {
    return pageUrl(m_host, QStringLiteral("getVerCode.aspx"), hexTelemetry);
}

QUrl UpdateService::downloadPageUrl(const QString& hexTelemetry) const {
    return pageUrl(m_host, QStringLiteral("update.aspx"), hexTelemetry);
}

bool UpdateService::latestVersionCode(const QString& hexTelemetry, std::int32_t& version,
                                      errorControl& error) const {
    version = 0;
    const QUrl url = versionQueryUrl(hexTelemetry);
    if (!url.isValid()) {
        return true;
    }

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Moravel"));
    // The manager owns the reply and takes it along when this call returns.
    QNetworkReply* const reply = manager.get(request);
    // Qt stops reading from the socket once this much waits unread, so a server that sends
    // without end cannot fill the memory.
    reply->setReadBufferSize(maxReplySize + 1);

    QByteArray body;
    bool gaveUp = false;
    QEventLoop loop;
    const auto collect = [&] {
        body += reply->readAll();
        if (body.size() > maxReplySize && !gaveUp) {
            gaveUp = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, collect);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        gaveUp = true;
        reply->abort();
    });
    deadline.start(m_timeout);
    if (!reply->isFinished()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    deadline.stop();
    if (!gaveUp) {
        collect();
    }
    if (gaveUp || !serverAnswered(*reply)) {
        return true;
    }

    const QString text = QString::fromLocal8Bit(body);
    const std::optional<qint32> number = parseInteger(text);
    if (!number) {
        error.message = texts::notAValidInteger(shownReply(text));
        return false;
    }
    version = *number;
    return true;
}

} // namespace moravel
