#pragma once

#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

namespace moravel {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl-C, a closed terminal) into a Qt
// signal delivered by the event loop, so that the window ends the way "Exit" does instead of
// dying part-way through a run. One instance at a time; the signals' earlier handling comes
// back when it is destroyed.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the signals could not be caught (no pipe); they then end the process as usual.
    bool isWatching() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void drain();

    QSocketNotifier* m_notifier = nullptr;
    std::array<struct sigaction, 3> m_previous{};
};

} // namespace moravel
