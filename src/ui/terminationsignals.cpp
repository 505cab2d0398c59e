#include "ui/terminationsignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace moravel {

namespace {

constexpr std::array<int, 3> watched{SIGTERM, SIGINT, SIGHUP};
// The handler may only write to a pipe; the event loop reads the other end.
int pipeEnds[2] = {-1, -1};

void onSignal(int signalNumber) {
    const auto byte = static_cast<unsigned char>(signalNumber);
    if (::write(pipeEnds[1], &byte, 1) < 0) {
        // A full pipe already holds a wake-up; nothing else can be done in a handler.
    }
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeEnds[0] = pipeEnds[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < watched.size(); ++i) {
        ::sigaction(watched[i], &action, &m_previous[i]);
    }
}

TerminationSignals::~TerminationSignals() {
    if (m_notifier == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < watched.size(); ++i) {
        ::sigaction(watched[i], &m_previous[i], nullptr);
    }
    delete m_notifier;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void TerminationSignals::drain() {
    unsigned char byte = 0;
    while (::read(pipeEnds[0], &byte, 1) == 1) {
        Q_EMIT received(byte);
    }
}

} // namespace moravel
