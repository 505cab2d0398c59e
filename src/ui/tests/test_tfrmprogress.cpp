#include "ui/tfrmprogress.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

namespace {

// Delivers a click on `button` the way the window system would: queued, to be handled when
// the application next processes its events.
void postClick(QWidget* button) {
    const QPointF centre = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(centre);
    QCoreApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

} // namespace

class TfrmProgressTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void window_isASmallFixedDialogWithoutTitleBarButtons();
    void show_isNotModalAndCentred();
    void setProgress_showsPositionAndPercent_data();
    void setProgress_showsPositionAndPercent();
    void setProgress_handlesAClickMadeMeanwhile();
    void cancel_setsTheFlagOnce();
    void escape_pressesCancel();
    void activation_clearsTheFlag();
    void showingAgain_forgetsAnEarlierCancel();
};

void TfrmProgressTest::window_isASmallFixedDialogWithoutTitleBarButtons() {
    TfrmProgress progress;
    QCOMPARE(progress.windowTitle(), u"Operation in process"_s);
    QCOMPARE(progress.size(), QSize(364, 107));
    QCOMPARE(progress.minimumSize(), progress.maximumSize());
    const Qt::WindowFlags flags = progress.windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));

    QCOMPARE(progress.lblStatus->text(), u"lblStatus"_s);
    QVERIFY(progress.lblStatus->alignment().testFlag(Qt::AlignHCenter));
    QCOMPARE(progress.pb->minimum(), 0);
    QCOMPARE(progress.pb->maximum(), 100);
    QVERIFY(!progress.pb->isTextVisible());
    QCOMPARE(progress.pb->orientation(), Qt::Horizontal);
    QCOMPARE(progress.cmdCancel->text(), u"Cancel"_s);
    QCOMPARE(progress.cmdCancel->geometry(), QRect(150, 67, 75, 25));
}

void TfrmProgressTest::show_isNotModalAndCentred() {
    TfrmProgress progress;
    progress.show();
    QVERIFY(QTest::qWaitForWindowExposed(&progress));
    QVERIFY(progress.isVisible());
    QVERIFY(!progress.isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    const QPoint screenCentre = progress.screen()->availableGeometry().center();
    const QPoint centre = progress.frameGeometry().center();
    QVERIFY2((centre - screenCentre).manhattanLength() <= 2,
             qPrintable(u"centre %1,%2"_s.arg(centre.x()).arg(centre.y())));
    progress.hide();
    QVERIFY(!progress.isVisible());
}

void TfrmProgressTest::setProgress_showsPositionAndPercent_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("bar");
    QTest::newRow("first of five") << 0 << 5 << u"0 / 5"_s << 0;
    QTest::newRow("last of five") << 4 << 5 << u"4 / 5"_s << 80;
    QTest::newRow("a third is cut down") << 1 << 3 << u"1 / 3"_s << 33;
    QTest::newRow("two thirds are cut down") << 2 << 3 << u"2 / 3"_s << 66;
    QTest::newRow("three of twelve") << 3 << 12 << u"3 / 12"_s << 25;
    QTest::newRow("last of a large list") << 99999 << 100000 << u"99999 / 100000"_s << 99;
}

void TfrmProgressTest::setProgress_showsPositionAndPercent() {
    QFETCH(int, position);
    QFETCH(int, total);
    QFETCH(QString, label);
    QFETCH(int, bar);
    TfrmProgress progress;
    progress.show();
    progress.setProgress(position, total);
    QCOMPARE(progress.lblStatus->text(), label);
    QCOMPARE(progress.pb->value(), bar);
}

void TfrmProgressTest::setProgress_handlesAClickMadeMeanwhile() {
    TfrmProgress progress;
    progress.show();
    QVERIFY(QTest::qWaitForWindowExposed(&progress));
    postClick(progress.cmdCancel);
    QVERIFY(!progress.cancelPressed());
    progress.setProgress(1, 4);
    QVERIFY(progress.cancelPressed());
    QVERIFY(progress.isVisible());
}

void TfrmProgressTest::cancel_setsTheFlagOnce() {
    TfrmProgress progress;
    progress.show();
    QVERIFY(QTest::qWaitForWindowExposed(&progress));
    QVERIFY(!progress.cancelPressed());
    QTest::mouseClick(progress.cmdCancel, Qt::LeftButton);
    QVERIFY(progress.cancelPressed());
    QTest::mouseClick(progress.cmdCancel, Qt::LeftButton);
    QVERIFY(progress.cancelPressed());
    QVERIFY(progress.isVisible());
    // Pressed twice, it is cleared once, like a single press.
    progress.clearCancel();
    QVERIFY(!progress.cancelPressed());
}

void TfrmProgressTest::escape_pressesCancel() {
    TfrmProgress progress;
    progress.show();
    QVERIFY(QTest::qWaitForWindowActive(&progress));
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : &progress, Qt::Key_Escape);
    QVERIFY(progress.cancelPressed());
    QVERIFY(progress.isVisible()); // Esc must not close the window as a dialog would
}

void TfrmProgressTest::activation_clearsTheFlag() {
    TfrmProgress progress;
    progress.show();
    QVERIFY(QTest::qWaitForWindowActive(&progress));
    QTest::mouseClick(progress.cmdCancel, Qt::LeftButton);
    QVERIFY(progress.cancelPressed());

    // Another window on top (as a question would be), then back to the progress window.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(progress.cancelPressed());
    other.hide();
    progress.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&progress));
    QVERIFY(!progress.cancelPressed());
}

void TfrmProgressTest::showingAgain_forgetsAnEarlierCancel() {
    TfrmProgress progress;
    progress.show();
    QVERIFY(QTest::qWaitForWindowExposed(&progress));
    QTest::mouseClick(progress.cmdCancel, Qt::LeftButton);
    progress.hide();
    QVERIFY(progress.cancelPressed());
    progress.show();
    QVERIFY(!progress.cancelPressed());
}

QTEST_MAIN(TfrmProgressTest)
#include "test_tfrmprogress.moc"
