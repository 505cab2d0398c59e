#include "modal.h"
#include "storage/localedatetime.h"
#include "ui/tfrmoptions.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

using namespace moravel;
using namespace moravel::testing;
using namespace Qt::Literals::StringLiterals;

namespace {

// The window on settings that differ from every value the test sets, with an autostart folder
// of its own and an archive folder that exists.
struct Settings {
    WindowFixture f;
    QString archive;

    explicit Settings(const std::function<void(global&)>& change = {}) {
        f.locations.startup = f.root() + u"/autostart"_s;
        archive = f.root() + u"/Archive"_s;
        QDir().mkpath(archive);
        f.configure([&](global& state) {
            state.rutaRepositorio = archive;
            state.reglaCreacionCarpeta = datefolder::YyMmDd;
            state.includeFolders = false;
            state.opcionRecordatorio = reminder::Never;
            state.iniciarConWindows = false;
            state.chkForUpdates = false;
            state.mesesEnLog = 6;
            if (change) {
                change(state);
            }
        });
    }
    QString entryPath() const { return f.locations.startup + u"/Moravel.desktop"_s; }
    QByteArray savedConfiguration() const {
        QFile file(f.configPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The state as a fresh start reads it from the configuration file.
    std::unique_ptr<global> saved() {
        auto state = std::make_unique<global>(f.locations, f.clock);
        errorControl error;
        if (state->loadConfiguration(error, f.prompts) != 0) {
            return nullptr;
        }
        return state;
    }
};

// Runs `work` on the dialog that the window's "Settings" opens; `work` closes it (or leaves it
// open, and then it is closed as with the window's close command).
std::shared_ptr<ModalOutcome> withOptions(TfrmMain& window,
                                          const std::function<void(TfrmOptions&)>& work) {
    auto outcome = answerModal([work](QWidget& dialog) {
        auto* options = qobject_cast<TfrmOptions*>(&dialog);
        QVERIFY(options != nullptr);
        work(*options);
    });
    QTest::mouseClick(window.cmdSettings, Qt::LeftButton);
    return outcome;
}

// Clicks a check box or radio button on its indicator, where a click counts however wide the
// layout made it.
void clickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

QStringList entries(const QComboBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        texts << list->itemText(i);
    }
    return texts;
}

} // namespace

class TfrmOptionsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout_captionsGroupsAndTabOrder();
    void show_fillsEveryControl_data();
    void show_fillsEveryControl();
    void ok_storesEveryControlAndSaves();
    void validation_keepsTheDialogOpen_data();
    void validation_keepsTheDialogOpen();
    void negativeMonths_areStored();
    void cancel_changesNothing_data();
    void cancel_changesNothing();
    void select_startsOnTheBoxFolderOrHome_data();
    void select_startsOnTheBoxFolderOrHome();
    void reminderOutOfRange_storesNeverUnlessPicked_data();
    void reminderOutOfRange_storesNeverUnlessPicked();
    void reminder_titleAndTimerFollow();
    void launchAtLogin_writesAndRemovesTheEntry();
    void launchAtLogin_failureIsToldAndTheRestStored();
    void failedSave_isShownAndTheTitleStays();
    void everyControl_hasAnAccessibleName();
};

void TfrmOptionsTest::layout_captionsGroupsAndTabOrder() {
    Settings s;
    TfrmMain& window = s.f.startShown();
    auto outcome = withOptions(window, [](TfrmOptions& dialog) {
        QCOMPARE(dialog.windowTitle(), u"Options"_s);
        QVERIFY(dialog.width() >= 570 && dialog.height() >= 446);
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize()); // a fixed border
        QCOMPARE(dialog.grpArchiveFolder->title(), u"Archive folder"_s);
        QCOMPARE(dialog.cmdSelectRutaRepositorio->text(), u"&Select"_s);
        QCOMPARE(dialog.grpDateFolderFormat->title(), u"Date folder format"_s);
        QCOMPARE(dialog.optYYMMDD->text(), u"YY-MM-DD"_s);
        QCOMPARE(dialog.optMMDDYY->text(), u"MM-DD-YY"_s);
        QCOMPARE(dialog.grpFolders->title(), u"Folders"_s);
        QCOMPARE(dialog.chkFolders->text(), u"Include folders in cleaning process"_s);
        QCOMPARE(dialog.grpRemind->title(), u"Remind me to clean my desktop"_s);
        QVERIFY(!dialog.cmbRemindMode->isEditable());
        QCOMPARE(dialog.grpStart->title(), u"Start Moravel automatically"_s);
        QCOMPARE(dialog.chkLaunchWithWindows->text(), u"&Launch at login"_s);
        QCOMPARE(dialog.grpUpdates->title(), u"Updates"_s);
        QCOMPARE(dialog.chkUpdates->text(), u"Inform me when a new version is available"_s);
        QCOMPARE(dialog.grpLog->title(), u"Log"_s);
        QCOMPARE(dialog.Label3->text(), u"&Keep"_s);
        QCOMPARE(dialog.Label3->buddy(), dialog.txtMonthLog);
        QCOMPARE(dialog.Label4->text(), u"months of log"_s);
        QCOMPARE(dialog.cmdOK->text(), u"OK"_s);
        QVERIFY(dialog.cmdOK->isDefault());
        QCOMPARE(dialog.cmdCancel->text(), u"Cancel"_s);

        const QList<QWidget*> order{dialog.txtMonthLog,
                                    dialog.optYYMMDD,
                                    dialog.optMMDDYY,
                                    dialog.txtRutaRepositorio,
                                    dialog.cmdSelectRutaRepositorio,
                                    dialog.chkFolders,
                                    dialog.chkLaunchWithWindows,
                                    dialog.chkUpdates,
                                    dialog.cmbRemindMode,
                                    dialog.cmdOK,
                                    dialog.cmdCancel};
        QCOMPARE(dialog.focusWidget(), dialog.txtMonthLog);
        for (qsizetype i = 0; i + 1 < order.size(); ++i) {
            QWidget* next = order[i]->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus) {
                next = next->nextInFocusChain();
            }
            QVERIFY2(next == order[i + 1], qPrintable(order[i]->objectName()));
        }
        dialog.cmdCancel->click();
    });
    QVERIFY(outcome->seen && !outcome->leftOpen);
}

void TfrmOptionsTest::show_fillsEveryControl_data() {
    QTest::addColumn<int>("dateFormat");
    QTest::addColumn<int>("reminder");
    QTest::addColumn<bool>("flags");
    QTest::addColumn<bool>("yyMmDdChecked");
    QTest::addColumn<int>("reminderEntry");
    QTest::newRow("YY-MM-DD, never, all off") << 0 << 0 << false << true << 0;
    QTest::newRow("MM-DD-YY, every Monday, all on") << 1 << 2 << true << false << 2;
    QTest::newRow("a format of 2 shows YY-MM-DD") << 2 << 3 << true << true << 3;
    QTest::newRow("a reminder out of range selects no entry") << 0 << 7 << false << true << -1;
}

void TfrmOptionsTest::show_fillsEveryControl() {
    QFETCH(int, dateFormat);
    QFETCH(int, reminder);
    QFETCH(bool, flags);
    QFETCH(bool, yyMmDdChecked);
    QFETCH(int, reminderEntry);
    Settings s([&](global& state) {
        state.reglaCreacionCarpeta = static_cast<DateFolderFormat>(dateFormat);
        state.opcionRecordatorio = static_cast<ReminderOption>(reminder);
        state.includeFolders = flags;
        state.iniciarConWindows = flags;
        state.chkForUpdates = flags;
        state.mesesEnLog = 14;
    });
    TfrmMain& window = s.f.startShown();
    auto outcome = withOptions(window, [&](TfrmOptions& dialog) {
        QCOMPARE(entries(dialog.cmbRemindMode),
                 (QStringList{u"Never"_s, u"Every day"_s, u"Every Monday"_s,
                              u"1st day of every month"_s}));
        QCOMPARE(dialog.cmbRemindMode->currentIndex(), reminderEntry);
        QCOMPARE(dialog.txtRutaRepositorio->text(), s.archive);
        QCOMPARE(dialog.optYYMMDD->isChecked(), yyMmDdChecked);
        QCOMPARE(dialog.optMMDDYY->isChecked(), !yyMmDdChecked);
        QCOMPARE(dialog.chkFolders->isChecked(), flags);
        QCOMPARE(dialog.chkLaunchWithWindows->isChecked(), flags);
        QCOMPARE(dialog.chkUpdates->isChecked(), flags);
        QCOMPARE(dialog.txtMonthLog->text(), u"14"_s);
        dialog.cmdCancel->click();
    });
    QVERIFY(outcome->seen && !outcome->leftOpen);
}

void TfrmOptionsTest::ok_storesEveryControlAndSaves() {
    Settings s([](global& state) { state.reglaCreacionCarpeta = datefolder::DdMmYy; });
    const QString other = s.f.root() + u"/Other"_s;
    QVERIFY(QDir().mkpath(other));
    TfrmMain& window = s.f.startShown();
    auto outcome = withOptions(window, [&](TfrmOptions& dialog) {
        dialog.txtRutaRepositorio->setText(other);
        clickIndicator(dialog.optMMDDYY);
        clickIndicator(dialog.chkFolders);
        dialog.cmbRemindMode->setCurrentIndex(reminder::FirstOfMonth);
        clickIndicator(dialog.chkUpdates);
        dialog.txtMonthLog->setText(u"24"_s);
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        QVERIFY(dialog.confirmed);
        QVERIFY(!dialog.isVisible());
    });
    QVERIFY(outcome->seen && !outcome->leftOpen);
    QVERIFY2(s.f.prompts.everything().isEmpty(), qPrintable(s.f.prompts.everything().join(u'\n')));
    const std::unique_ptr<global> saved = s.saved();
    for (const global* state : {&window.state(), saved.get()}) {
        QVERIFY(state != nullptr);
        QCOMPARE(state->rutaRepositorio, other);
        QCOMPARE(state->reglaCreacionCarpeta, datefolder::MmDdYy);
        QVERIFY(state->includeFolders);
        QCOMPARE(state->opcionRecordatorio, reminder::FirstOfMonth);
        QVERIFY(!state->iniciarConWindows);
        QVERIFY(state->chkForUpdates);
        QCOMPARE(state->mesesEnLog, 24);
    }
}

void TfrmOptionsTest::validation_keepsTheDialogOpen_data() {
    QTest::addColumn<QString>("folder"); // relative to the test's folder, or a plain text
    QTest::addColumn<QString>("months");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such folder") << u"/Nowhere"_s << u"3"_s << u"Folder does not exist"_s;
    QTest::newRow("a file, not a folder") << u"/file"_s << u"3"_s << u"Folder does not exist"_s;
    QTest::newRow("a relative path") << u"Archive"_s << u"3"_s << u"Folder does not exist"_s;
    QTest::newRow("an empty box") << QString() << u"3"_s << u"Folder does not exist"_s;
    QTest::newRow("months empty") << u"/Archive"_s << QString()
                                  << u"log months must be an integer"_s;
    QTest::newRow("months not a number")
        << u"/Archive"_s << u"six"_s << u"log months must be an integer"_s;
    QTest::newRow("the folder first") << u"/Nowhere"_s << u"six"_s << u"Folder does not exist"_s;
}

void TfrmOptionsTest::validation_keepsTheDialogOpen() {
    QFETCH(QString, folder);
    QFETCH(QString, months);
    QFETCH(QString, message);
    Settings s;
    WindowFixture::write(s.f.root() + u"/file"_s, "x");
    QVERIFY(QDir::setCurrent(s.f.root()));
    const QByteArray before = s.savedConfiguration();
    TfrmMain& window = s.f.startShown();
    auto outcome = withOptions(window, [&](TfrmOptions& dialog) {
        dialog.txtRutaRepositorio->setText(folder.startsWith(u'/') ? s.f.root() + folder : folder);
        dialog.txtMonthLog->setText(months);
        clickIndicator(dialog.chkFolders);
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        QCOMPARE(s.f.prompts.messages, QStringList{message});
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.confirmed);
        dialog.cmdCancel->click();
    });
    QVERIFY(QDir::setCurrent(QDir::homePath()));
    QVERIFY(outcome->seen && !outcome->leftOpen);
    QCOMPARE(window.state().rutaRepositorio, s.archive);
    QVERIFY(!window.state().includeFolders);
    QCOMPARE(window.state().mesesEnLog, 6);
    QCOMPARE(s.savedConfiguration(), before);
}

void TfrmOptionsTest::negativeMonths_areStored() {
    Settings s;
    TfrmMain& window = s.f.startShown();
    auto outcome = withOptions(window, [](TfrmOptions& dialog) {
        dialog.txtMonthLog->setText(u"-3"_s);
        dialog.cmdOK->click();
    });
    QVERIFY(outcome->seen && !outcome->leftOpen);
    QVERIFY(s.f.prompts.everything().isEmpty());
    QCOMPARE(window.state().mesesEnLog, -3);
    QCOMPARE(s.saved()->mesesEnLog, -3);
}

void TfrmOptionsTest::cancel_changesNothing_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("the window's close command") << 2;
}

// Also after "&Select" put another folder into the box; the title and timer are updated all
// the same.
void TfrmOptionsTest::cancel_changesNothing() {
    QFETCH(int, how);
    Settings s;
    const QString other = s.f.root() + u"/Other"_s;
    QVERIFY(QDir().mkpath(other));
    s.f.prompts.pickedFolders = {other};
    const QByteArray before = s.savedConfiguration();
    TfrmMain& window = s.f.startShown();
    window.state().opcionRecordatorio = reminder::EveryDay; // changed behind the title's back
    bool confirmed = true;
    auto outcome = withOptions(window, [&](TfrmOptions& dialog) {
        QTest::mouseClick(dialog.cmdSelectRutaRepositorio, Qt::LeftButton);
        QCOMPARE(dialog.txtRutaRepositorio->text(), other);
        dialog.cmbRemindMode->setCurrentIndex(reminder::Never);
        clickIndicator(dialog.chkLaunchWithWindows);
        switch (how) {
        case 0:
            QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);
            break;
        case 1:
            QTest::keyClick(dialog.txtMonthLog, Qt::Key_Escape);
            break;
        default:
            dialog.close();
            break;
        }
        confirmed = dialog.confirmed;
    });
    QVERIFY(outcome->seen && !outcome->leftOpen);
    QVERIFY(!confirmed);
    QCOMPARE(window.state().rutaRepositorio, s.archive);
    QCOMPARE(window.state().opcionRecordatorio, reminder::EveryDay);
    QVERIFY(!window.state().iniciarConWindows);
    QVERIFY(!QFile::exists(s.entryPath()));
    QCOMPARE(s.savedConfiguration(), before);
    QVERIFY(window.applicationTitle().startsWith(u"Moravel - Next reminder "_s));
}

void TfrmOptionsTest::select_startsOnTheBoxFolderOrHome_data() {
    QTest::addColumn<QString>("boxText"); // "archive" for the existing archive folder
    QTest::addColumn<bool>("pick");
    QTest::addColumn<QString>("start");
    QTest::newRow("an existing folder, picked") << u"archive"_s << true << u"archive"_s;
    QTest::newRow("an existing folder, cancelled") << u"archive"_s << false << u"archive"_s;
    QTest::newRow("a folder that does not exist") << u"/nowhere/at/all"_s << true << u"home"_s;
    QTest::newRow("an empty box") << QString() << false << u"home"_s;
}

void TfrmOptionsTest::select_startsOnTheBoxFolderOrHome() {
    QFETCH(QString, boxText);
    QFETCH(bool, pick);
    QFETCH(QString, start);
    Settings s;
    const QString picked = s.f.root() + u"/Picked"_s;
    QVERIFY(QDir().mkpath(picked));
    if (pick) {
        s.f.prompts.pickedFolders = {picked};
    }
    const QString text = boxText == u"archive"_s ? s.archive : boxText;
    TfrmMain& window = s.f.startShown();
    auto outcome = withOptions(window, [&](TfrmOptions& dialog) {
        dialog.txtRutaRepositorio->setText(text);
        QTest::mouseClick(dialog.cmdSelectRutaRepositorio, Qt::LeftButton);
        QCOMPARE(dialog.txtRutaRepositorio->text(), pick ? picked : text);
        dialog.cmdCancel->click();
    });
    QVERIFY(outcome->seen);
    QCOMPARE(s.f.prompts.pickerStarts,
             QStringList{start == u"home"_s ? QDir::homePath() : s.archive});
}

void TfrmOptionsTest::reminderOutOfRange_storesNeverUnlessPicked_data() {
    QTest::addColumn<int>("picked"); // -1: nothing picked
    QTest::addColumn<int>("stored");
    QTest::newRow("nothing picked: Never") << -1 << 0;
    QTest::newRow("Every Monday picked") << 2 << 2;
}

void TfrmOptionsTest::reminderOutOfRange_storesNeverUnlessPicked() {
    QFETCH(int, picked);
    QFETCH(int, stored);
    Settings s([](global& state) { state.opcionRecordatorio = 9; });
    TfrmMain& window = s.f.startShown();
    auto outcome = withOptions(window, [&](TfrmOptions& dialog) {
        QCOMPARE(dialog.cmbRemindMode->currentIndex(), -1);
        if (picked >= 0) {
            dialog.cmbRemindMode->setCurrentIndex(picked);
        }
        dialog.cmdOK->click();
    });
    QVERIFY(outcome->seen && !outcome->leftOpen);
    QCOMPARE(int(window.state().opcionRecordatorio), stored);
    QCOMPARE(int(s.saved()->opcionRecordatorio), stored);
}

// "Every day" on a Monday morning: the next reminder is due at midnight, and the title and the
// tray tip say so. "Never" then leaves the date alone and stops the timer.
void TfrmOptionsTest::reminder_titleAndTimerFollow() {
    Settings s;
    TfrmMain& window = s.f.startShown();
    QCOMPARE(window.applicationTitle(), u"Moravel."_s);
    QVERIFY(!window.timer->isActive());
    auto everyDay = withOptions(window, [](TfrmOptions& dialog) {
        dialog.cmbRemindMode->setCurrentIndex(reminder::EveryDay);
        dialog.cmdOK->click();
    });
    QVERIFY(everyDay->seen && !everyDay->leftOpen);
    const DateTimeValue tomorrow = toDateTimeValue(QDate(2011, 3, 8), QTime(0, 0));
    QCOMPARE(window.state().nextReminder, tomorrow);
    const QString title = u"Moravel - Next reminder "_s + shortDateText(QDate(2011, 3, 8));
    QCOMPARE(window.applicationTitle(), title);
    QCOMPARE(s.f.tray.tip, title);
    QVERIFY(window.timer->isActive());

    auto never = withOptions(window, [](TfrmOptions& dialog) {
        dialog.cmbRemindMode->setCurrentIndex(reminder::Never);
        dialog.cmdOK->click();
    });
    QVERIFY(never->seen && !never->leftOpen);
    QCOMPARE(window.state().nextReminder, tomorrow);
    QCOMPARE(window.applicationTitle(), u"Moravel."_s);
    QCOMPARE(s.f.tray.tip, title); // the tip keeps its text
    QVERIFY(!window.timer->isActive());
}

void TfrmOptionsTest::launchAtLogin_writesAndRemovesTheEntry() {
    Settings s;
    TfrmMain& window = s.f.startShown();
    const auto launch = [&](bool on) {
        auto outcome = withOptions(window, [on](TfrmOptions& dialog) {
            dialog.chkLaunchWithWindows->setChecked(on);
            dialog.cmdOK->click();
        });
        QVERIFY(outcome->seen && !outcome->leftOpen);
    };
    launch(true);
    QVERIFY(window.state().iniciarConWindows);
    QFile entry(s.entryPath());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    entry.close();
    QVERIFY2(text.contains(QCoreApplication::applicationFilePath()), qPrintable(text));
    QVERIFY2(text.contains(u" MIN"_s), qPrintable(text));

    // Every OK with the box ticked writes the entry again, even without a change.
    QVERIFY(QFile::remove(s.entryPath()));
    launch(true);
    QVERIFY(QFile::exists(s.entryPath()));

    launch(false);
    QVERIFY(!QFile::exists(s.entryPath()));
    QVERIFY(!window.state().iniciarConWindows);
    launch(false);
    QVERIFY(!QFile::exists(s.entryPath()));
    QVERIFY(s.f.prompts.everything().isEmpty());
}

void TfrmOptionsTest::launchAtLogin_failureIsToldAndTheRestStored() {
    Settings s;
    // A file where the autostart folder must be.
    WindowFixture::write(s.f.locations.startup, "in the way");
    TfrmMain& window = s.f.startShown();
    auto outcome = withOptions(window, [](TfrmOptions& dialog) {
        dialog.chkLaunchWithWindows->setChecked(true);
        dialog.txtMonthLog->setText(u"2"_s);
        dialog.cmdOK->click();
    });
    QVERIFY(outcome->seen && !outcome->leftOpen);
    QCOMPARE(s.f.prompts.messages.size(), 1);
    QVERIFY2(s.f.prompts.messages.first().contains(s.f.locations.startup),
             qPrintable(s.f.prompts.messages.first()));
    QCOMPARE(s.saved()->mesesEnLog, 2);
    QVERIFY(s.saved()->iniciarConWindows);
}

void TfrmOptionsTest::failedSave_isShownAndTheTitleStays() {
    Settings s;
    TfrmMain& window = s.f.startShown();
    // A folder where the file must go: it cannot be replaced, by root neither.
    QVERIFY(QFile::remove(s.f.configPath()));
    QVERIFY(QDir().mkpath(s.f.configPath() + u"/in the way"_s));
    auto outcome = withOptions(window, [](TfrmOptions& dialog) {
        dialog.cmbRemindMode->setCurrentIndex(reminder::EveryDay);
        dialog.cmdOK->click();
    });
    QVERIFY(outcome->seen && !outcome->leftOpen);
    QCOMPARE(s.f.prompts.messages.size(), 1);
    QVERIFY2(s.f.prompts.messages.first().startsWith(u"Error while writing configuration file. "_s),
             qPrintable(s.f.prompts.messages.first()));
    // The new values stay in memory; the title and the timer wait for their next update.
    QCOMPARE(window.state().opcionRecordatorio, reminder::EveryDay);
    QCOMPARE(window.applicationTitle(), u"Moravel."_s);
    QVERIFY(!window.timer->isActive());
}

void TfrmOptionsTest::everyControl_hasAnAccessibleName() {
    Settings s;
    TfrmMain& window = s.f.startShown();
    auto outcome = withOptions(window, [](TfrmOptions& dialog) {
        QStringList unnamed;
        for (QWidget* control : dialog.findChildren<QWidget*>()) {
            const bool isControl = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                   qobject_cast<QLineEdit*>(control) != nullptr ||
                                   qobject_cast<QComboBox*>(control) != nullptr;
            if (!isControl || control->focusPolicy() == Qt::NoFocus) {
                continue;
            }
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            if (accessible == nullptr || accessible->text(QAccessible::Name).isEmpty()) {
                unnamed << control->objectName();
            }
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", "_s)));
        QCOMPARE(dialog.chkLaunchWithWindows->accessibleName(), u"Launch at login"_s);
        dialog.cmdCancel->click();
    });
    QVERIFY(outcome->seen);
}

QTEST_MAIN(TfrmOptionsTest)
#include "test_tfrmoptions.moc"
