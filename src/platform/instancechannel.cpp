#include "platform/instancechannel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace moravel {

namespace {

constexpr char showRequest[] = "show\n";

// One channel per set of data files, as there is one lock: named after the data folder, in
// the runtime folder (sockets do not work in every home folder, NFS ones for instance).
QString channelName(const QString& dataFolder, const QString& runtimeFolder) {
    const QString folder = runtimeFolder.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                               : runtimeFolder;
    const QString canonical = QFileInfo(dataFolder).canonicalFilePath();
    const QByteArray key = QFile::encodeName(canonical.isEmpty() ? dataFolder : canonical);
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    return QDir(folder).filePath(QStringLiteral("moravel-") + QString::fromLatin1(hash.left(16)));
}

} // namespace

InstanceChannel::InstanceChannel(const QString& dataFolder, const QString& runtimeFolder)
    : m_name(channelName(dataFolder, runtimeFolder)) {}

InstanceChannel::~InstanceChannel() = default;

bool InstanceChannel::listen() {
    if (m_server != nullptr) {
        return m_server->isListening();
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_name);
    if (!m_server->listen(m_name)) {
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            // The request is read once the asking copy has gone: it writes and leaves at once.
            // Only the one request is known; anything else is let go.
            const auto answer = [this, socket] {
                if (socket->readAll().startsWith(showRequest)) {
                    Q_EMIT showRequested();
                }
                socket->deleteLater();
            };
            if (socket->state() == QLocalSocket::ConnectedState) {
                connect(socket, &QLocalSocket::disconnected, socket, answer);
            } else {
                answer();
            }
        }
    });
    return true;
}

bool InstanceChannel::askToShow(int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(showRequest);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

} // namespace moravel
