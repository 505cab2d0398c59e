#include "modal.h"
#include "scanner/taskmanager.h"
#include "storage/localedatetime.h"
#include "ui/desktopcontentsview.h"
#include "ui/tfrmprogress.h"
#include "ui/tfrmruleeditor.h"
#include "ui/tfrmwarning.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

using namespace moravel;
using namespace moravel::testing;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString balloonText =
    u"Moravel is now on the system tray. To bring it back, just click on the broom icon. To "
    u"close it, right click on the broom icon and choose 'exit'."_s;

QStringList names(const taskManager& plan) {
    QStringList result;
    for (const auto& item : plan.tasks) {
        result << item->name;
    }
    std::sort(result.begin(), result.end());
    return result;
}

} // namespace

class TfrmMainTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstRun_writesTheConfigurationAndOpensGettingStarted();
    void laterRun_opensNoHelpPage();
    void unreadableConfiguration_endsWithTheMessage();
    void start_showsTabZeroOnThePlan();
    void startArgument_data();
    void startArgument();
    void startMinWithoutTray_startsMinimised();
    void close_hidesIntoTheTrayWithOneBalloon();
    void close_withoutTray_minimisesWithoutBalloon();
    void escape_hidesAlsoFromTheList();
    void trayLeftClick_bringsTheWindowBackAndRescans();
    void trayLeftClick_restoresAMinimisedWindow();
    void trayOtherButtons_doNothing_data();
    void trayOtherButtons_doNothing();
    void trayMenu_showAndExit();
    void exit_endsTheApplicationOnce();
    void sessionQuit_endsTheApplication();
    void remindersOff_titleWithFullStopTimerStoppedTipKept();
    void remindersOn_titleTipAndTimer();
    void reminderTick_dueOnlyAfterMidnight();
    void tabs_rescanAndBuildTheBrowserOnce();
    void helpAndFeedback_openTheirPages();
    void missingHelpPage_isNotReported();
    void everyControl_hasAnAccessibleName();
};

void TfrmMainTest::firstRun_writesTheConfigurationAndOpensGettingStarted() {
    WindowFixture f;
    f.start();
    QVERIFY(f.started);
    QVERIFY(QFile::exists(f.configPath()));
    QCOMPARE(f.opener.opened.size(), 1);
    QCOMPARE(f.opener.opened.first(),
             QUrl::fromLocalFile(f.helpFolder + u"/getting-started.html"_s));
    QVERIFY(f.prompts.everything().isEmpty());
}

void TfrmMainTest::laterRun_opensNoHelpPage() {
    WindowFixture f;
    f.configure([](global&) {});
    f.start();
    QVERIFY(f.started);
    QVERIFY(f.opener.opened.isEmpty());
}

void TfrmMainTest::unreadableConfiguration_endsWithTheMessage() {
    WindowFixture f;
    WindowFixture::write(f.configPath(), "<HTML><ITEM");
    f.start();
    QVERIFY(!f.started);
    QVERIFY(f.window->state().startAborted);
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY2(f.prompts.messages.first().startsWith(u"Error while reading configuration file. "_s),
             qPrintable(f.prompts.messages.first()));
    // Nothing of a running application was set up.
    QVERIFY(!f.tray.added);
    QVERIFY(!f.window->timer->isActive());
    QVERIFY(f.opener.opened.isEmpty());
}

void TfrmMainTest::start_showsTabZeroOnThePlan() {
    WindowFixture f;
    f.put(u"report.pdf"_s);
    f.put(u"notes.txt"_s);
    TfrmMain& window = f.startShown();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), u"Moravel"_s);
    QCOMPARE(window.mainPageControl->currentIndex(), 0);
    QCOMPARE(window.mainPageControl->count(), 3);
    QCOMPARE(window.mainPageControl->tabText(0), u"Clean your desktop"_s);
    QCOMPARE(window.mainPageControl->tabText(1), u"Browse cleaned files"_s);
    QCOMPARE(window.mainPageControl->tabText(2), u"Options and Help"_s);
    QCOMPARE(names(window.plan()), (QStringList{u"notes.txt"_s, u"report.pdf"_s}));
    QCOMPARE(window.lvFiles->model()->rowCount(), 2);
    QVERIFY(f.tray.added);
    QCOMPARE(f.tray.menu, window.trayPopUp);
    QCOMPARE(window.size(), QSize(1025, 573));
}

void TfrmMainTest::startArgument_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("visible");
    QTest::newRow("none") << QStringList{} << true;
    QTest::newRow("MIN") << QStringList{u"MIN"_s} << false;
    QTest::newRow("MIN and more") << QStringList{u"MIN"_s, u"x"_s} << false;
    QTest::newRow("min, compared with case") << QStringList{u"min"_s} << true;
    QTest::newRow("tray means nothing") << QStringList{u"tray"_s} << true;
    QTest::newRow("MIN only first") << QStringList{u"x"_s, u"MIN"_s} << true;
}

void TfrmMainTest::startArgument() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, visible);
    WindowFixture f;
    TfrmMain& window = f.startShown(arguments);
    QApplication::processEvents();
    QCOMPARE(window.isVisible(), visible);
    QVERIFY(!window.isMinimized());
    QVERIFY(f.tray.added);
    QVERIFY(f.tray.balloons.isEmpty());
}

void TfrmMainTest::startMinWithoutTray_startsMinimised() {
    WindowFixture f;
    f.tray.available = false;
    TfrmMain& window = f.startShown({u"MIN"_s});
    QVERIFY(window.isVisible());
    QVERIFY(window.isMinimized());
    QVERIFY(f.tray.balloons.isEmpty());
}

void TfrmMainTest::close_hidesIntoTheTrayWithOneBalloon() {
    WindowFixture f;
    TfrmMain& window = f.startShown();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.close());
    QVERIFY(!window.isVisible());
    QCOMPARE(f.eventLoopEnded, 0);
    QCOMPARE(f.tray.balloons.size(), 1);
    QCOMPARE(f.tray.balloons.first().title, u"Moravel Tray"_s);
    QCOMPARE(f.tray.balloons.first().text, balloonText);
    QCOMPARE(f.tray.balloons.first().timeout, 15000);
    QVERIFY(window.trayBalloonShown);

    window.show();
    QVERIFY(!window.close());
    QVERIFY(!window.isVisible());
    QCOMPARE(f.tray.balloons.size(), 1);
    QVERIFY(!f.tray.removed);
}

void TfrmMainTest::close_withoutTray_minimisesWithoutBalloon() {
    WindowFixture f;
    f.tray.available = false;
    TfrmMain& window = f.startShown();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.close());
    // Hidden, it could never be reached again: a second start ends silently.
    QVERIFY(window.isVisible());
    QVERIFY(window.isMinimized());
    QVERIFY(f.tray.balloons.isEmpty());
    QVERIFY(!window.trayBalloonShown);
    QCOMPARE(f.eventLoopEnded, 0);

    // Once the panel brings a tray, closing hides into it.
    f.tray.available = true;
    window.showNormal();
    QVERIFY(!window.close());
    QVERIFY(!window.isVisible());
    QCOMPARE(f.tray.balloons.size(), 1);
}

void TfrmMainTest::escape_hidesAlsoFromTheList() {
    WindowFixture f;
    f.put(u"a.txt"_s);
    TfrmMain& window = f.startShown();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.lvFiles->setFocus();
    QCOMPARE(QApplication::focusWidget(), window.lvFiles);
    QTest::keyClick(window.lvFiles, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QCOMPARE(f.tray.balloons.size(), 1);
    QCOMPARE(f.eventLoopEnded, 0);
}

void TfrmMainTest::trayLeftClick_bringsTheWindowBackAndRescans() {
    WindowFixture f;
    TfrmMain& window = f.startShown({u"MIN"_s});
    QVERIFY(!window.isVisible());
    QVERIFY(window.plan().tasks.empty());
    f.put(u"arrived.txt"_s);
    f.tray.press(TrayIcon::Activation::Trigger);
    QVERIFY(window.isVisible());
    QVERIFY(!window.isMinimized());
    QCOMPARE(names(window.plan()), QStringList{u"arrived.txt"_s});
    QCOMPARE(window.lvFiles->model()->rowCount(), 1);
}

void TfrmMainTest::trayLeftClick_restoresAMinimisedWindow() {
    WindowFixture f;
    TfrmMain& window = f.startShown();
    window.showMinimized();
    QVERIFY(window.isMinimized());
    f.tray.press(TrayIcon::Activation::Trigger);
    QVERIFY(window.isVisible());
    QVERIFY(!window.isMinimized());
}

void TfrmMainTest::trayOtherButtons_doNothing_data() {
    QTest::addColumn<TrayIcon::Activation>("activation");
    QTest::newRow("menu button") << TrayIcon::Activation::Context;
    QTest::newRow("double click") << TrayIcon::Activation::DoubleClick;
    QTest::newRow("middle click") << TrayIcon::Activation::MiddleClick;
    QTest::newRow("other") << TrayIcon::Activation::Other;
}

void TfrmMainTest::trayOtherButtons_doNothing() {
    QFETCH(TrayIcon::Activation, activation);
    WindowFixture f;
    TfrmMain& window = f.startShown({u"MIN"_s});
    f.put(u"arrived.txt"_s);
    f.tray.press(activation);
    QVERIFY(!window.isVisible());
    QVERIFY(window.plan().tasks.empty());
    QCOMPARE(f.eventLoopEnded, 0);
}

void TfrmMainTest::trayMenu_showAndExit() {
    WindowFixture f;
    TfrmMain& window = f.startShown({u"MIN"_s});
    const QList<QAction*> entries = window.trayPopUp->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0]->text(), u"Show Moravel"_s);
    QCOMPARE(entries[1]->text(), u"Exit"_s);

    f.put(u"arrived.txt"_s);
    entries[0]->trigger();
    QVERIFY(window.isVisible());
    QCOMPARE(names(window.plan()), QStringList{u"arrived.txt"_s});
    QCOMPARE(f.eventLoopEnded, 0);

    entries[1]->trigger();
    QCOMPARE(f.eventLoopEnded, 1);
    QVERIFY(f.tray.removed);
}

void TfrmMainTest::exit_endsTheApplicationOnce() {
    WindowFixture f;
    f.configure([](global& state) { state.opcionRecordatorio = reminder::EveryDay; });
    TfrmMain& window = f.startShown();
    QVERIFY(window.timer->isActive());
    window.mnuExit->trigger();
    window.closeApp();
    QCOMPARE(f.eventLoopEnded, 1);
    QVERIFY(!window.timer->isActive());
    // Once ending, a close is a close, not a trip into the tray.
    QVERIFY(window.close());
    QVERIFY(f.tray.balloons.isEmpty());
}

void TfrmMainTest::sessionQuit_endsTheApplication() {
    WindowFixture f;
    f.startShown();
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(qApp, &quit);
    QCOMPARE(f.eventLoopEnded, 1);
    QVERIFY(f.tray.removed);
    QVERIFY(f.tray.balloons.isEmpty());
}

void TfrmMainTest::remindersOff_titleWithFullStopTimerStoppedTipKept() {
    WindowFixture f;
    f.configure([](global& state) { state.opcionRecordatorio = reminder::Never; });
    TfrmMain& window = f.startShown();
    QCOMPARE(window.applicationTitle(), u"Moravel."_s);
    QCOMPARE(window.windowTitle(), u"Moravel"_s);
    QVERIFY(!window.timer->isActive());
    QCOMPARE(f.tray.tip, u"Moravel"_s);
}

void TfrmMainTest::remindersOn_titleTipAndTimer() {
    WindowFixture f;
    f.configure([](global& state) { state.opcionRecordatorio = reminder::EveryDay; });
    TfrmMain& window = f.startShown();
    const QString title = u"Moravel - Next reminder "_s + shortDateText(QDate(2011, 3, 8));
    QCOMPARE(window.applicationTitle(), title);
    QCOMPARE(f.tray.tip, title);
    QVERIFY(window.timer->isActive());
    QCOMPARE(window.timer->interval(), 60000);
    QCOMPARE(window.windowTitle(), u"Moravel"_s);

    // Switched off later: the title says so, the tip keeps its last text.
    window.state().opcionRecordatorio = reminder::Never;
    window.resize();
    QCOMPARE(window.applicationTitle(), u"Moravel."_s);
    QVERIFY(!window.timer->isActive());
    QCOMPARE(f.tray.tip, title);
}

void TfrmMainTest::reminderTick_dueOnlyAfterMidnight() {
    WindowFixture f;
    f.configure([](global& state) { state.opcionRecordatorio = reminder::EveryDay; });
    TfrmMain& window = f.startShown({u"MIN"_s});
    window.mainPageControl->setCurrentIndex(2);

    f.clock.set(QDateTime(QDate(2011, 3, 7), QTime(23, 59, 59)));
    window.timerTimer();
    QVERIFY(f.prompts.messages.isEmpty());
    QVERIFY(!window.isVisible());

    // The tick at midnight itself is not later than the reminder date; the next one is.
    f.clock.set(QDateTime(QDate(2011, 3, 8), QTime(0, 0)));
    window.timerTimer();
    QVERIFY(f.prompts.messages.isEmpty());

    f.put(u"new.txt"_s);
    f.clock.set(QDateTime(QDate(2011, 3, 8), QTime(0, 0, 40)));
    window.timerTimer();
    QCOMPARE(f.prompts.messages, QStringList{u"It is time to clean your desktop."_s});
    QVERIFY(window.isVisible());
    QCOMPARE(window.mainPageControl->currentIndex(), 0);
    QCOMPARE(names(window.plan()), QStringList{u"new.txt"_s});
    const QString title = u"Moravel - Next reminder "_s + shortDateText(QDate(2011, 3, 9));
    QCOMPARE(window.applicationTitle(), title);
    QCOMPARE(f.tray.tip, title);

    // The new date is saved, and a tick later the same night finds nothing due.
    global saved(f.locations, f.clock);
    errorControl error;
    QCOMPARE(saved.loadConfiguration(error, f.prompts), 0);
    window.timerTimer();
    QCOMPARE(f.prompts.messages.size(), 1);
}

void TfrmMainTest::tabs_rescanAndBuildTheBrowserOnce() {
    WindowFixture f;
    f.put(u"a.txt"_s);
    TfrmMain& window = f.startShown();
    window.mainPageControl->setCurrentIndex(2);
    QVERIFY(!window.browseTreeBuilt);
    f.put(u"b.txt"_s);
    window.mainPageControl->setCurrentIndex(0);
    QCOMPARE(names(window.plan()), (QStringList{u"a.txt"_s, u"b.txt"_s}));

    window.mainPageControl->setCurrentIndex(1);
    QVERIFY(window.browseTreeBuilt);
    // Going to tab 2 and back to tab 1 neither rescans nor rebuilds anything.
    f.put(u"c.txt"_s);
    window.mainPageControl->setCurrentIndex(2);
    window.mainPageControl->setCurrentIndex(1);
    QCOMPARE(window.plan().taskCount(), 2);
}

void TfrmMainTest::helpAndFeedback_openTheirPages() {
    WindowFixture f;
    f.configure([](global&) {});
    f.feedbackHost = u"http://feedback.example/"_s;
    TfrmMain& window = f.startShown();
    window.mainPageControl->setCurrentIndex(2);
    QTest::mouseClick(window.cmdHelp, Qt::LeftButton);
    QCOMPARE(f.opener.opened, QList<QUrl>{QUrl::fromLocalFile(f.helpFolder + u"/index.html"_s)});
    QTest::mouseClick(window.cmdFeedback, Qt::LeftButton);
    QCOMPARE(f.opener.opened.size(), 2);
    QCOMPARE(f.opener.opened[1].host(), u"feedback.example"_s);
    QVERIFY(f.opener.opened[1].query().startsWith(u"hbase="_s));
    // The other two buttons open the rule list and the settings dialog, and nothing else.
    QStringList opened;
    const auto closeIt = [&opened](QWidget& dialog) {
        opened << dialog.windowTitle();
        dialog.close();
    };
    auto rules = answerModal(closeIt);
    QTest::mouseClick(window.cmdRules, Qt::LeftButton);
    QVERIFY(rules->seen && !rules->leftOpen);
    auto settings = answerModal(closeIt);
    QTest::mouseClick(window.cmdSettings, Qt::LeftButton);
    QVERIFY(settings->seen && !settings->leftOpen);
    QCOMPARE(opened, (QStringList{u"Rule List"_s, u"Options"_s}));
    QVERIFY(f.prompts.everything().isEmpty());
    QCOMPARE(f.opener.opened.size(), 2);
}

void TfrmMainTest::missingHelpPage_isNotReported() {
    WindowFixture f;
    QVERIFY(QFile::remove(f.helpFolder + u"/getting-started.html"_s));
    QVERIFY(QFile::remove(f.helpFolder + u"/index.html"_s));
    TfrmMain& window = f.startShown();
    QVERIFY(f.started);
    window.help();
    QVERIFY(f.opener.opened.isEmpty());
    QVERIFY(f.prompts.everything().isEmpty());
}

void TfrmMainTest::everyControl_hasAnAccessibleName() {
    WindowFixture f;
    f.put(u"a.txt"_s);
    TfrmMain& window = f.startShown();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QStringList unnamed;
    const QList<QWidget*> windows{static_cast<QWidget*>(&window), window.frmRuleEditor,
                                  window.frmWarning, window.frmProgress};
    for (QWidget* top : windows) {
        for (QWidget* control : top->findChildren<QWidget*>()) {
            const bool isControl = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                   qobject_cast<QAbstractItemView*>(control) != nullptr ||
                                   qobject_cast<QLineEdit*>(control) != nullptr ||
                                   qobject_cast<QComboBox*>(control) != nullptr ||
                                   qobject_cast<QTabWidget*>(control) != nullptr;
            if (!isControl || control->focusPolicy() == Qt::NoFocus) {
                continue;
            }
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            if (accessible == nullptr || accessible->text(QAccessible::Name).isEmpty()) {
                unnamed << top->objectName() + u'/' + control->objectName() + u'/' +
                               QString::fromLatin1(control->metaObject()->className());
            }
        }
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", "_s)));

    // The list's cells expose their text.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(window.lvFiles);
    QVERIFY(list != nullptr);
    QAccessibleTableInterface* table = list->tableInterface();
    QVERIFY(table != nullptr);
    QCOMPARE(table->rowCount(), 1);
    QAccessibleInterface* cell = table->cellAt(0, 0);
    QVERIFY(cell != nullptr);
    QCOMPARE(cell->text(QAccessible::Name), u"a.txt"_s);
}

QTEST_MAIN(TfrmMainTest)
#include "test_tfrmmain.moc"
