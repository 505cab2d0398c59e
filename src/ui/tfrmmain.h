#pragma once

#include "engine/actionkind.h"
#include "executor/busyguard.h"
#include "platform/shellinfo.h"
#include "storage/logselection.h"
#include "ui/ending.h"
#include "ui/trayicon.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace moravel {

class CleanedItemsModel;
class CleanedItemsView;
class Clock;
class DesktopContentsModel;
class DesktopContentsView;
class Locations;
class Prompts;
class QtPrompts;
class TfrmProgress;
class TfrmRuleEditor;
class TfrmWarning;
class UpdateService;
class UrlOpener;
class global;
class logLine;
class taskManager;

// What the main window works with, handed down from main(): the folders, the clock, the tray,
// the browser and the update service of the desktop, or the fakes of a test.
struct MainWindowParts {
    const Locations& locations;
    const Clock& clock;
    TrayIcon& tray;
    UrlOpener& urlOpener;
    const UpdateService& updateService;
    QString feedbackHost;
    // Where the help pages are looked for, in order.
    QStringList helpFolders;
    // What the user answers; null: the window's own message boxes and folder picker.
    Prompts* prompts = nullptr;
    // Ends the application's event loop; null: QCoreApplication::exit(0).
    std::function<void()> endEventLoop;
};

// The application's main window and the owner of its life: it loads the configuration and
// the log, shows the desktop's plan, lives on in the notification area when closed, reminds on
// schedule and runs "Start Cleaning". Tabs: the desktop contents, the cleaned files browser,
// and the options and help.
class TfrmMain final : public QWidget {
    Q_OBJECT

public:
    explicit TfrmMain(MainWindowParts parts, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The start-up: loads the configuration and the log (or writes the first-run ones), scans
    // the desktop, adds the tray icon, sets the title and the reminder timer. `arguments` are
    // the program's, without its name. False when the configuration could be neither read nor
    // created: the user has been told, and the program must end with a failure.
    bool FormCreate(const QStringList& arguments);
    // Shows the window after FormCreate; with "MIN", into the tray (or minimised without one).
    void showAtStart();

    global& state() { return *m_global; }
    taskManager& plan() { return *m_plan; }
    DesktopContentsModel& desktopContents() { return *m_model; }
    CleanedItemsModel& cleanedItems() { return *m_cleanedModel; }
    // The title of the application: the tray tip and the caption of plain message boxes.
    QString applicationTitle() const { return m_applicationTitle; }
    bool isBusy() const { return m_guard.isBusy(); }
    // Whether closeApp has run: the program ends, also when that happened during FormCreate,
    // before its event loop started.
    bool isClosing() const { return m_closing; }

    // Window life.
    void closeApp();
    void TrayMessage(TrayIcon::Activation activation);
    void mnuShowClick();
    void mnuExitClick();
    void timerTimer();
    // Title, tray tip and reminder timer from the reminder setting, then the column widths.
    void resize();
    using QWidget::resize;
    void mainPageControlChange(int index);
    void help();
    void showGettingStarted();
    void cmdFeedbackClick();

    // The desktop contents view.
    void refreshDesktopView();
    void fillDesktopList();
    void resizeCols();
    void initActionPopup();
    void popUpItemClick(int tag);
    void changeAction(ActionKind action, const QString& folder);
    void createRuleForFileType(int planIndex);
    void lvFilesColumnClick(int column);

    // The clean command of "Start Cleaning".
    void clean();
    void spSkinButton1Click();

    // The cleaned files browser.
    // Rebuilds the date tree from the log, selects the latest day and fills the list.
    void genSearchTree();
    // Adds the record's day to `cleaningDates` unless it is there already.
    void revisaNuevaFecha(const logLine& record);
    // Refills the list from the log for the selected day and the mask; at most 50 rows unless
    // `showAll`.
    void rfrLog(bool showAll);
    void treeChange();
    void cmdSearchClick();
    void cmdShowMoreClick();
    void cmdOpenFolderClick();
    void cmdRestoreClick();
    void lvCleanedColumnClick(int column);
    // The order of two rows of the list by the sort column, in the sort direction.
    int lvCleanedCompare(int rowA, int rowB) const;
    void lvCleanedSelectItem();
    void lvCleanedResize();
    void resizeLogLv();

    // The rule list; the configuration is saved once it has closed, then the desktop re-planned.
    void editRules();
    // The settings dialog; on OK the configuration is saved, then the title and timer updated.
    void options();

    // Ends the application as "Exit" does, also from a logout or a termination signal: a run
    // under way stops between two items and keeps what it has done.
    void requestEnd();

    bool hideOnFirstPaint = false;
    bool trayBalloonShown = false;
    bool browseTreeBuilt = false;
    int filesSortColumn = 5;
    int filesSortDirection = 1;
    QStringList cleaningDates;
    bool browserBusy = false;
    int cleanedSortColumn = 0;
    int cleanedSortDirection = 1;

    QTabWidget* mainPageControl = nullptr;
    QWidget* tabCleaning = nullptr;
    QWidget* tabSearch = nullptr;
    QWidget* tabOptions = nullptr;
    QPushButton* spSkinButton1 = nullptr; // "Start Cleaning"
    QLabel* lblHint = nullptr;
    QGroupBox* grpDesktopContents = nullptr;
    DesktopContentsView* lvFiles = nullptr;
    QLineEdit* txtMask = nullptr;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdOpenFolder = nullptr;
    QPushButton* cmdRestore = nullptr;
    QPushButton* cmdShowMore = nullptr;
    QGroupBox* grpCleaningDate = nullptr;
    QTreeWidget* tree = nullptr;
    QGroupBox* grpCleanedItems = nullptr;
    CleanedItemsView* lvCleaned = nullptr;
    QGroupBox* grpConfiguration = nullptr;
    QToolButton* cmdRules = nullptr;
    QToolButton* cmdSettings = nullptr;
    QGroupBox* grpHelp = nullptr;
    QToolButton* cmdHelp = nullptr;
    QToolButton* cmdFeedback = nullptr;
    QMenu* popUpActions = nullptr;
    QMenu* mnuMoveTo = nullptr;
    QMenu* trayPopUp = nullptr;
    QAction* mnuShow = nullptr;
    QAction* mnuExit = nullptr;
    QTimer* timer = nullptr;
    TfrmRuleEditor* frmRuleEditor = nullptr;
    TfrmWarning* frmWarning = nullptr;
    TfrmProgress* frmProgress = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildCleaningTab();
    void buildSearchTab();
    void buildOptionsTab();
    void buildTrayMenu();
    void setApplicationTitle(const QString& title);
    void selectTab(int index);
    void sortDesktopList();
    void sortCleanedList();
    // Selects a node of the date tree without refilling the list.
    void selectTreeNode(QTreeWidgetItem* node);
    void lvFilesPopup(const QPoint& globalPos);
    void openHelpPage(const QString& page);
    void closeModalWindows();
    bool trayAvailable() const;

    MainWindowParts m_parts;
    std::unique_ptr<QtPrompts> m_ownPrompts;
    Ending m_ending;
    std::unique_ptr<EndingPrompts> m_prompts;
    std::unique_ptr<global> m_global;
    std::unique_ptr<taskManager> m_plan;
    ShellInfo m_shellInfo;
    DesktopContentsModel* m_model = nullptr;
    CleanedItemsModel* m_cleanedModel = nullptr;
    CleaningDays m_cleaningDays;
    BusyGuard m_guard;
    QString m_applicationTitle;
    bool m_rescanning = false; // the clean command's own rescan after its run
    bool m_refreshing = false;
    bool m_closing = false;
};

} // namespace moravel
