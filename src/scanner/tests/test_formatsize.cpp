#include "scanner/filetime.h"
#include "scanner/formatsize.h"

#include <QTest>

#include <limits>

using namespace moravel;

class TestFormatSize : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatSize_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("text");
        QTest::newRow("negative") << qint64(-5) << QStringLiteral("0 KB");
        QTest::newRow("zero") << qint64(0) << QStringLiteral("0 KB");
        QTest::newRow("one byte") << qint64(1) << QStringLiteral("1 KB");
        QTest::newRow("1024 bytes") << qint64(1024) << QStringLiteral("1 KB");
        QTest::newRow("1025 bytes") << qint64(1025) << QStringLiteral("2 KB");
        QTest::newRow("1 MiB") << qint64(1048576) << QStringLiteral("1024 KB");
        QTest::newRow("1 MiB + 1") << qint64(1048577) << QStringLiteral("2 MB");
        QTest::newRow("1 GiB") << qint64(1073741824) << QStringLiteral("1024 MB");
        QTest::newRow("1 GiB + 1") << qint64(1073741825) << QStringLiteral("2 GB");
        QTest::newRow("5 TiB") << (qint64(5) << 40) << QStringLiteral("5120 GB");
        QTest::newRow("largest") << std::numeric_limits<qint64>::max()
                                 << QStringLiteral("8589934592 GB");
    }
    void formatSize() {
        QFETCH(qint64, size);
        QFETCH(QString, text);
        QCOMPARE(moravel::formatSize(size), text);
    }

    // The tests run with TZ=Europe/Berlin.
    void fileTimeToLocalDateTime_data() {
        QTest::addColumn<QDateTime>("utc");
        QTest::addColumn<QDateTime>("local");
        QTest::newRow("winter") << QDateTime(QDate(2010, 3, 7), QTime(13, 5, 9, 999), Qt::UTC)
                                << QDateTime(QDate(2010, 3, 7), QTime(14, 5, 9, 999));
        QTest::newRow("summer") << QDateTime(QDate(2010, 7, 31), QTime(22, 30, 0), Qt::UTC)
                                << QDateTime(QDate(2010, 8, 1), QTime(0, 30, 0));
        QTest::newRow("before the epoch") << QDateTime(QDate(1960, 1, 1), QTime(0, 0, 1), Qt::UTC)
                                          << QDateTime(QDate(1960, 1, 1), QTime(1, 0, 1));
    }
    void fileTimeToLocalDateTime() {
        QFETCH(QDateTime, utc);
        QFETCH(QDateTime, local);
        const qint64 ms = utc.toMSecsSinceEpoch();
        const qint64 seconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
        const qint64 nanoseconds = (ms - seconds * 1000) * 1000000;
        QCOMPARE(toQDateTime(moravel::fileTimeToLocalDateTime(seconds, nanoseconds)), local);
    }
};

QTEST_GUILESS_MAIN(TestFormatSize)
#include "test_formatsize.moc"
