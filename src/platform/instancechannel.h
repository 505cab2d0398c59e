#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace moravel {

// A second start of Moravel ends at once; before it does, it asks the first copy (the one that
// holds the single-instance lock of the same data files) to show its window, so that starting
// Moravel again from the menu or a launcher brings it back from the tray.
class InstanceChannel final : public QObject {
    Q_OBJECT

public:
    // The channel of the copy that works on the data files in `dataFolder`, in the user's
    // runtime folder (`runtimeFolder`, or the system's when empty).
    explicit InstanceChannel(const QString& dataFolder, const QString& runtimeFolder = {});
    ~InstanceChannel() override;

    // For the first copy: takes the channel (a stale one left by a crash is replaced: the
    // caller holds the lock). False when it cannot; the program then works without it.
    bool listen();
    // For a later copy: asks the first copy to show its window, waiting at most `timeoutMs`.
    // False when no copy answers.
    bool askToShow(int timeoutMs = 1000) const;

    QString name() const { return m_name; }

Q_SIGNALS:
    // A later start asked for the window.
    void showRequested();

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};

} // namespace moravel
