#include "platform/instancechannel.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace moravel;

// A later start of the same data files reaches the first copy; one of other data files does
// not; a channel left by a crashed copy is taken over.
class InstanceChannelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void laterStart_asksTheFirstToShow() {
        QTemporaryDir runtime;
        QTemporaryDir data;
        InstanceChannel first(data.path(), runtime.path());
        QVERIFY(first.listen());
        QSignalSpy shown(&first, &InstanceChannel::showRequested);

        const InstanceChannel later(data.path(), runtime.path());
        QVERIFY(later.askToShow());
        QVERIFY(shown.wait(5000));
        QCOMPARE(shown.size(), 1);

        QTemporaryDir otherData;
        const InstanceChannel other(otherData.path(), runtime.path());
        QVERIFY(!other.askToShow(200));
    }

    void channelOfACrashedCopy_isTakenOver() {
        QTemporaryDir runtime;
        QTemporaryDir data;
        // A file of the channel's name, as a copy killed with SIGKILL leaves its socket.
        const InstanceChannel probe(data.path(), runtime.path());
        QFile stale(probe.name());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        InstanceChannel first(data.path(), runtime.path());
        QVERIFY(first.listen());
        QSignalSpy shown(&first, &InstanceChannel::showRequested);
        QVERIFY(InstanceChannel(data.path(), runtime.path()).askToShow());
        QVERIFY(shown.wait(5000));
    }
};

QTEST_GUILESS_MAIN(InstanceChannelTest)
#include "test_instancechannel.moc"
