#include "ui/tfrmmain.h"

#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "engine/rule.h"
#include "executor/cleancommand.h"
#include "executor/restorecommand.h"
#include "platform/locations.h"
#include "platform/shelloperations.h"
#include "platform/urlopener.h"
#include "scanner/taskmanager.h"
#include "storage/global.h"
#include "storage/localedatetime.h"
#include "storage/startup.h"
#include "storage/updatecheck.h"
#include "ui/cleaneditemsmodel.h"
#include "ui/cleaneditemsview.h"
#include "ui/desktopcontentsmodel.h"
#include "ui/desktopcontentsview.h"
#include "ui/helppages.h"
#include "ui/pictures.h"
#include "ui/placement.h"
#include "ui/qtprompts.h"
#include "ui/texts.h"
#include "ui/tfrmoptions.h"
#include "ui/tfrmprogress.h"
#include "ui/tfrmruleeditor.h"
#include "ui/tfrmrules.h"
#include "ui/tfrmwarning.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace moravel {

namespace {

constexpr int reminderInterval = 60000;
constexpr int balloonTimeout = 15000;

// Tags of the popup menu's commands, as its entries carry them.
namespace tag {
constexpr int none = -1;
constexpr int createRule = 995;
constexpr int unselectAll = 996;
constexpr int selectAll = 997;
constexpr int userDocuments = 998;
constexpr int selectFolder = 999;
constexpr int firstDestination = 1000;
} // namespace tag

// The confirmation of the clean command: the window's own confirmation window.
class WarningConfirmation final : public CleanConfirmation {
public:
    explicit WarningConfirmation(TfrmWarning& window) : m_window(window) {}
    bool confirmCleaning(const QList<SummaryLine>& summary) override {
        return m_window.confirm(summary);
    }

private:
    TfrmWarning& m_window;
};

// The busy cursor for the life of a refresh, whichever way it ends.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The part of a name after its last dot, for the mask of a new rule; a name without a dot
// gives the whole name.
QString extensionForRule(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.mid(dot + 1);
}

// A menu text shows "&" as a mnemonic unless it is doubled.
QString menuText(const QString& text) {
    QString escaped = text;
    return escaped.replace(u'&', QStringLiteral("&&"));
}

QToolButton* newLinkButton(const QString& name, const QString& caption, const QIcon& icon,
                           QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setAccessibleName(caption);
    button->setIcon(icon);
    button->setIconSize(QSize(35, 35));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setMinimumSize(165, 50);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

TfrmMain::TfrmMain(MainWindowParts parts, QWidget* parent)
    : QWidget(parent), m_parts(std::move(parts)), m_applicationTitle(texts::applicationTitle()) {
    if (m_parts.prompts == nullptr) {
        m_ownPrompts = std::make_unique<QtPrompts>(this);
        m_parts.prompts = m_ownPrompts.get();
    }
    m_prompts = std::make_unique<EndingPrompts>(*m_parts.prompts, m_ending);
    m_model = new DesktopContentsModel(m_shellInfo, this);
    m_cleanedModel = new CleanedItemsModel(m_shellInfo, this);

    setWindowTitle(texts::mainWindowCaption());
    setWindowIcon(applicationIcon());
    setAccessibleName(texts::mainWindowCaption());

    mainPageControl = new QTabWidget(this);
    mainPageControl->setObjectName(QStringLiteral("mainPageControl"));
    mainPageControl->setAccessibleName(texts::mainWindowCaption());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->addWidget(mainPageControl);

    tabCleaning = new QWidget;
    tabCleaning->setObjectName(QStringLiteral("tabCleaning"));
    tabCleaning->setAccessibleName(texts::cleaningTab());
    tabSearch = new QWidget;
    tabSearch->setObjectName(QStringLiteral("tabSearch"));
    tabSearch->setAccessibleName(texts::browseTab());
    tabOptions = new QWidget;
    tabOptions->setObjectName(QStringLiteral("tabOptions"));
    tabOptions->setAccessibleName(texts::optionsTab());
    mainPageControl->addTab(tabCleaning, picture(Picture::CleaningTab), texts::cleaningTab());
    mainPageControl->addTab(tabSearch, picture(Picture::BrowseTab), texts::browseTab());
    mainPageControl->addTab(tabOptions, picture(Picture::OptionsTab), texts::optionsTab());
    buildCleaningTab();
    buildSearchTab();
    buildOptionsTab();
    buildTrayMenu();
    connect(mainPageControl, &QTabWidget::currentChanged, this, &TfrmMain::mainPageControlChange);

    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("timer"));
    connect(timer, &QTimer::timeout, this, &TfrmMain::timerTimer);

    // Esc hides the window whichever control has the focus: a shortcut is seen before the
    // control gets the key.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { close(); });

    frmRuleEditor = new TfrmRuleEditor(*m_prompts, this);
    frmWarning = new TfrmWarning(this);
    // A child of the window, so that it stays on top of it while a run goes on.
    frmProgress = new TfrmProgress(this);

    // The session manager ends the application with a Quit event, which Qt would turn into
    // close requests that this window only answers by hiding.
    qApp->installEventFilter(this);

    QWidget::resize(1025, 573);
}

TfrmMain::~TfrmMain() {
    // The tray may outlive the window; it must not call into it or show its menu any more.
    m_parts.tray.activated = nullptr;
    m_parts.tray.setMenu(nullptr);
    // The lists must let go of the plan and the log before they go.
    m_model->setPlan(nullptr);
    m_cleanedModel->setRecords(nullptr, {});
}

void TfrmMain::buildCleaningTab() {
    spSkinButton1 = new QPushButton(texts::startCleaningButton(), tabCleaning);
    spSkinButton1->setObjectName(QStringLiteral("spSkinButton1"));
    spSkinButton1->setAccessibleName(texts::startCleaningButton());
    spSkinButton1->setIcon(actionImage(actionimage::Archive));
    connect(spSkinButton1, &QPushButton::clicked, this, &TfrmMain::spSkinButton1Click);
    lblHint = new QLabel(texts::usageHint(), tabCleaning);
    lblHint->setObjectName(QStringLiteral("lblHint"));
    lblHint->setTextFormat(Qt::PlainText);
    lblHint->setWordWrap(true);
    auto* strip = new QHBoxLayout;
    strip->addWidget(spSkinButton1);
    strip->addWidget(lblHint, 1);

    grpDesktopContents = new QGroupBox(texts::desktopContentsGroup(), tabCleaning);
    grpDesktopContents->setObjectName(QStringLiteral("grpDesktopContents"));
    lvFiles = new DesktopContentsView(grpDesktopContents);
    lvFiles->setObjectName(QStringLiteral("lvFiles"));
    lvFiles->setAccessibleName(texts::desktopContentsGroup());
    lvFiles->setModel(m_model);
    connect(lvFiles, &DesktopContentsView::columnClicked, this, &TfrmMain::lvFilesColumnClick);
    connect(lvFiles, &DesktopContentsView::popupWanted, this, &TfrmMain::lvFilesPopup);
    connect(lvFiles, &DesktopContentsView::clientWidthChanged, this, &TfrmMain::resizeCols);
    auto* group = new QVBoxLayout(grpDesktopContents);
    group->addWidget(lvFiles);

    popUpActions = new QMenu(this);
    popUpActions->setObjectName(QStringLiteral("popUpActions"));
    mnuMoveTo = new QMenu(texts::moveToItem(), popUpActions);
    mnuMoveTo->setObjectName(QStringLiteral("mnuMoveTo"));
    mnuMoveTo->setIcon(actionImage(actionimage::MoveToFolder));

    auto* page = new QVBoxLayout(tabCleaning);
    page->addLayout(strip);
    page->addWidget(grpDesktopContents, 1);
    setTabOrder(spSkinButton1, lvFiles);
}

void TfrmMain::buildSearchTab() {
    txtMask = new QLineEdit(QStringLiteral("*.*"), tabSearch);
    txtMask->setObjectName(QStringLiteral("txtMask"));
    txtMask->setAccessibleName(texts::maskBoxName());
    txtMask->setMinimumWidth(104);
    // Enter in the mask box searches, as the window's default button would.
    connect(txtMask, &QLineEdit::returnPressed, this, &TfrmMain::cmdSearchClick);
    const auto newButton = [this](const QString& name, const QString& caption,
                                  const QString& hint) {
        auto* button = new QPushButton(caption, tabSearch);
        button->setObjectName(name);
        button->setAccessibleName(texts::withoutMnemonic(caption));
        button->setToolTip(hint);
        return button;
    };
    cmdSearch = newButton(QStringLiteral("cmdSearch"), texts::searchButton(), texts::searchHint());
    cmdSearch->setMinimumWidth(75);
    connect(cmdSearch, &QPushButton::clicked, this, &TfrmMain::cmdSearchClick);
    cmdOpenFolder = newButton(QStringLiteral("cmdOpenFolder"), texts::openFolderButton(),
                              texts::openFolderHint());
    cmdOpenFolder->setMinimumWidth(126);
    cmdOpenFolder->setEnabled(false);
    connect(cmdOpenFolder, &QPushButton::clicked, this, &TfrmMain::cmdOpenFolderClick);
    cmdRestore =
        newButton(QStringLiteral("cmdRestore"), texts::restoreButton(), texts::restoreHint());
    cmdRestore->setMinimumWidth(126);
    cmdRestore->setEnabled(false);
    connect(cmdRestore, &QPushButton::clicked, this, &TfrmMain::cmdRestoreClick);
    // A link: red bold text on the page's background.
    cmdShowMore = newButton(QStringLiteral("cmdShowMore"), texts::showMoreLink(), {});
    cmdShowMore->setFlat(true);
    cmdShowMore->setCursor(Qt::PointingHandCursor);
    QFont bold = cmdShowMore->font();
    bold.setBold(true);
    cmdShowMore->setFont(bold);
    QPalette red = cmdShowMore->palette();
    red.setColor(QPalette::ButtonText, Qt::red);
    cmdShowMore->setPalette(red);
    cmdShowMore->setMinimumWidth(254);
    cmdShowMore->hide();
    connect(cmdShowMore, &QPushButton::clicked, this, &TfrmMain::cmdShowMoreClick);
    auto* strip = new QHBoxLayout;
    strip->addWidget(txtMask);
    strip->addWidget(cmdSearch);
    strip->addSpacing(5);
    strip->addWidget(cmdOpenFolder);
    strip->addWidget(cmdRestore);
    strip->addSpacing(11);
    strip->addWidget(cmdShowMore);
    strip->addStretch(1);

    grpCleaningDate = new QGroupBox(texts::cleaningDateGroup(), tabSearch);
    grpCleaningDate->setObjectName(QStringLiteral("grpCleaningDate"));
    grpCleaningDate->setFixedWidth(150);
    tree = new QTreeWidget(grpCleaningDate);
    tree->setObjectName(QStringLiteral("tree"));
    tree->setAccessibleName(texts::cleaningDateGroup());
    tree->setHeaderHidden(true);
    tree->setUniformRowHeights(true);
    tree->setColumnCount(1);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(tree, &QTreeWidget::itemSelectionChanged, this, &TfrmMain::treeChange);
    (new QVBoxLayout(grpCleaningDate))->addWidget(tree);

    grpCleanedItems = new QGroupBox(texts::cleanedItemsGroup(), tabSearch);
    grpCleanedItems->setObjectName(QStringLiteral("grpCleanedItems"));
    lvCleaned = new CleanedItemsView(grpCleanedItems);
    lvCleaned->setObjectName(QStringLiteral("lvCleaned"));
    lvCleaned->setAccessibleName(texts::cleanedItemsGroup());
    lvCleaned->setModel(m_cleanedModel);
    lvCleaned->header()->resizeSection(CleanedItemsModel::Name, 150);
    connect(lvCleaned->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmMain::lvCleanedSelectItem);
    connect(lvCleaned, &CleanedItemsView::columnClicked, this, &TfrmMain::lvCleanedColumnClick);
    connect(lvCleaned, &CleanedItemsView::clientWidthChanged, this, &TfrmMain::lvCleanedResize);
    (new QVBoxLayout(grpCleanedItems))->addWidget(lvCleaned);

    auto* groups = new QHBoxLayout;
    groups->addWidget(grpCleaningDate);
    groups->addWidget(grpCleanedItems, 1);
    auto* page = new QVBoxLayout(tabSearch);
    page->addLayout(strip);
    page->addLayout(groups, 1);
    setTabOrder(txtMask, cmdSearch);
    setTabOrder(cmdSearch, cmdOpenFolder);
    setTabOrder(cmdOpenFolder, cmdRestore);
    setTabOrder(cmdRestore, cmdShowMore);
    setTabOrder(cmdShowMore, tree);
    setTabOrder(tree, lvCleaned);
}

void TfrmMain::buildOptionsTab() {
    const auto newGroup = [this](const QString& name, const QString& caption) {
        auto* group = new QGroupBox(caption, tabOptions);
        group->setObjectName(name);
        group->setMinimumSize(454, 101);
        group->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        return group;
    };
    grpConfiguration = newGroup(QStringLiteral("grpConfiguration"), texts::configurationGroup());
    cmdRules = newLinkButton(QStringLiteral("cmdRules"), texts::manageRulesButton(),
                             picture(Picture::Rules), grpConfiguration);
    cmdSettings = newLinkButton(QStringLiteral("cmdSettings"), texts::settingsButton(),
                                picture(Picture::Settings), grpConfiguration);
    auto* configuration = new QHBoxLayout(grpConfiguration);
    configuration->addWidget(cmdRules);
    configuration->addWidget(cmdSettings);
    configuration->addStretch();
    connect(cmdRules, &QToolButton::clicked, this, &TfrmMain::editRules);
    connect(cmdSettings, &QToolButton::clicked, this, &TfrmMain::options);

    grpHelp = newGroup(QStringLiteral("grpHelp"), texts::helpAndSupportGroup());
    cmdHelp = newLinkButton(QStringLiteral("cmdHelp"), texts::helpButton(), picture(Picture::Help),
                            grpHelp);
    cmdFeedback = newLinkButton(QStringLiteral("cmdFeedback"), texts::feedbackButton(),
                                picture(Picture::Feedback), grpHelp);
    auto* helpRow = new QHBoxLayout(grpHelp);
    helpRow->addWidget(cmdHelp);
    helpRow->addWidget(cmdFeedback);
    helpRow->addStretch();
    connect(cmdHelp, &QToolButton::clicked, this, &TfrmMain::help);
    connect(cmdFeedback, &QToolButton::clicked, this, &TfrmMain::cmdFeedbackClick);

    auto* page = new QVBoxLayout(tabOptions);
    page->setContentsMargins(21, 16, 21, 16);
    page->setSpacing(6);
    page->addWidget(grpConfiguration);
    page->addWidget(grpHelp);
    page->addStretch();
}

void TfrmMain::buildTrayMenu() {
    trayPopUp = new QMenu(this);
    trayPopUp->setObjectName(QStringLiteral("trayPopUp"));
    mnuShow = trayPopUp->addAction(texts::showMoravelItem());
    mnuShow->setObjectName(QStringLiteral("mnuShow"));
    mnuExit = trayPopUp->addAction(texts::exitItem());
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(mnuShow, &QAction::triggered, this, &TfrmMain::mnuShowClick);
    connect(mnuExit, &QAction::triggered, this, &TfrmMain::mnuExitClick);
}

// --- Start and end -----------------------------------------------------------------------

bool TfrmMain::FormCreate(const QStringList& arguments) {
    filesSortDirection = 1;
    m_global = std::make_unique<global>(m_parts.locations, m_parts.clock);
    m_plan = std::make_unique<taskManager>();

    const StartupOutcome outcome = loadOrCreateConfiguration(*m_global, *m_prompts);
    if (!outcome.loaded) {
        m_prompts->showMessage(outcome.message);
        m_global->startAborted = true;
        return false;
    }
    if (outcome.firstRun) {
        showGettingStarted();
    }

    refreshDesktopView();
    m_parts.tray.activated = [this](TrayIcon::Activation activation) { TrayMessage(activation); };
    m_parts.tray.setMenu(trayPopUp);
    m_parts.tray.add(applicationIcon(), m_applicationTitle);
    resize();
    selectTab(0);
    // Compared with case: "min" or "tray" start the window as usual.
    hideOnFirstPaint = !arguments.isEmpty() && arguments.first() == QLatin1String("MIN");
    return true;
}

void TfrmMain::showAtStart() {
    centreOnScreen(*this);
    if (!hideOnFirstPaint) {
        show();
        return;
    }
    hideOnFirstPaint = false;
    // Straight into the tray, never shown; without a tray a hidden window could never be
    // reached again, so it starts minimised instead.
    if (!trayAvailable()) {
        showMinimized();
    }
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        return;
    }
    // FormClose: closing only puts the window away; the application keeps running.
    event->ignore();
    if (!trayAvailable()) {
        showMinimized();
        return;
    }
    hide();
    if (!trayBalloonShown) {
        m_parts.tray.showBalloon(texts::trayBalloonTitle(), texts::trayBalloonText(),
                                 balloonTimeout);
        trayBalloonShown = true;
    }
}

bool TfrmMain::trayAvailable() const {
    return m_parts.tray.isAvailable();
}

void TfrmMain::closeApp() {
    if (m_closing) {
        return;
    }
    m_closing = true;
    timer->stop();
    m_parts.tray.remove();
    if (m_parts.endEventLoop) {
        m_parts.endEventLoop();
    } else {
        // exit() rather than quit(): quit() would first ask every window to close.
        QCoreApplication::exit(0);
    }
}

void TfrmMain::requestEnd() {
    m_ending.requested = true;
    if (m_guard.isBusy()) {
        // The command under way ends the application when it returns; a question or message
        // box of it gives way now, and its run stops before the next item.
        closeModalWindows();
        return;
    }
    closeApp();
}

void TfrmMain::closeModalWindows() {
    // Each box closed lets the code that opened it go on; a few rounds reach nested ones.
    for (int round = 0; round < 8; ++round) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return;
        }
        modal->close();
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::Quit) {
        requestEnd();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- Tray and reminders ------------------------------------------------------------------

void TfrmMain::TrayMessage(TrayIcon::Activation activation) {
    switch (activation) {
    case TrayIcon::Activation::Trigger:
        if (isMinimized()) {
            showNormal();
        }
        show();
        raise();
        activateWindow();
        refreshDesktopView();
        break;
    case TrayIcon::Activation::Context:
        // The tray opens `trayPopUp` itself, where the desktop puts its menus.
    default:
        break;
    }
}

void TfrmMain::mnuShowClick() {
    show();
    refreshDesktopView();
}

void TfrmMain::mnuExitClick() {
    requestEnd();
}

void TfrmMain::timerTimer() {
    if (m_global == nullptr || m_global->opcionRecordatorio == reminder::Never) {
        return;
    }
    // A run under way keeps the window busy; the reminder comes at the first tick after it.
    if (m_guard.isBusy()) {
        return;
    }
    if (!(m_parts.clock.nowValue() > m_global->nextReminder)) {
        return;
    }
    // Moved on before the message, so that the ticks while it is open find nothing due.
    m_global->nextReminder = m_global->nextReminderDate();
    errorControl ignored;
    m_global->saveConfiguration(ignored);
    selectTab(0);
    show();
    refreshDesktopView();
    resize();
    m_prompts->showMessage(texts::reminderDue());
}

void TfrmMain::resize() {
    if (m_global == nullptr || m_global->startAborted) {
        return;
    }
    if (m_global->opcionRecordatorio != reminder::Never) {
        // Started only when it is not running, so that resizing the window never puts a
        // reminder off.
        if (!timer->isActive()) {
            timer->start(reminderInterval);
        }
        setApplicationTitle(texts::titleWithReminder(shortDateText(m_global->nextReminder)));
        m_parts.tray.setTip(m_applicationTitle);
    } else {
        setApplicationTitle(texts::titleWithoutReminder());
        timer->stop();
    }
    resizeCols();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) {
        resize();
    }
}

void TfrmMain::setApplicationTitle(const QString& title) {
    m_applicationTitle = title;
    if (m_ownPrompts) {
        m_ownPrompts->setApplicationTitle(title);
    }
}

void TfrmMain::selectTab(int index) {
    // Chosen by the program, not the user: mainPageControlChange does not run.
    const QSignalBlocker blocker(mainPageControl);
    mainPageControl->setCurrentIndex(index);
}

void TfrmMain::mainPageControlChange(int index) {
    switch (index) {
    case 0:
        refreshDesktopView();
        break;
    case 1:
        if (!browseTreeBuilt) {
            genSearchTree();
            browseTreeBuilt = true;
            // The first visit begins with a search; later ones go back to where the user was.
            txtMask->setFocus(Qt::TabFocusReason);
        }
        break;
    default:
        break;
    }
}

void TfrmMain::openHelpPage(const QString& page) {
    // A missing page is not reported: the help is an extra, the program works without it.
    const QString path = findHelpPage(m_parts.helpFolders, page);
    if (!path.isEmpty()) {
        m_parts.urlOpener.openUrl(QUrl::fromLocalFile(path));
    }
}

void TfrmMain::help() {
    openHelpPage(QString::fromUtf16(helpIndexPage));
}

void TfrmMain::showGettingStarted() {
    openHelpPage(QString::fromUtf16(gettingStartedPage));
}

void TfrmMain::cmdFeedbackClick() {
    openFeedbackSite(*m_global, m_parts.feedbackHost, *m_prompts, m_parts.urlOpener);
}

void TfrmMain::editRules() {
    {
        TfrmRules window(*m_global, *m_prompts, this);
        window.exec();
    }
    // However the list was closed, what it changed is kept.
    errorControl error;
    if (!m_global->saveConfiguration(error)) {
        m_prompts->showMessage(texts::configurationWriteError() + error.message);
        return;
    }
    if (!m_closing) {
        refreshDesktopView();
    }
}

void TfrmMain::options() {
    bool confirmed = false;
    {
        TfrmOptions dialog(*m_global, *m_prompts, QCoreApplication::applicationFilePath(), this);
        dialog.exec();
        confirmed = dialog.confirmed;
    }
    if (confirmed) {
        errorControl error;
        if (!m_global->saveConfiguration(error)) {
            m_prompts->showMessage(texts::configurationWriteError() + error.message);
            return;
        }
    }
    resize();
}

// --- The cleaned files browser -----------------------------------------------------------

void TfrmMain::genSearchTree() {
    if (m_global == nullptr) {
        return;
    }
    {
        // The tree's own signals would refill the list at each node.
        const QSignalBlocker blocker(tree);
        tree->clear();
    }
    cleaningDates.clear();
    m_cleaningDays.clear();
    auto* all = new QTreeWidgetItem(tree, {texts::allNode()});
    const auto& records = m_global->logLines;
    for (auto i = records.size(); i-- > 0;) {
        revisaNuevaFecha(*records[i]);
    }
    QList<QTreeWidgetItem*> days;
    days.reserve(cleaningDates.size());
    for (const QString& day : std::as_const(cleaningDates)) {
        days.append(new QTreeWidgetItem({day}));
    }
    all->addChildren(days);
    all->setExpanded(true);
    selectTreeNode(days.isEmpty() ? all : days.first());
    rfrLog(false);
}

void TfrmMain::revisaNuevaFecha(const logLine& record) {
    if (m_cleaningDays.add(record.cleanedAt)) {
        cleaningDates.append(m_cleaningDays.texts().constLast());
    }
}

void TfrmMain::selectTreeNode(QTreeWidgetItem* node) {
    browserBusy = true;
    tree->setCurrentItem(node);
    browserBusy = false;
}

void TfrmMain::rfrLog(bool showAll) {
    if (browserBusy || m_global == nullptr) {
        return;
    }
    browserBusy = true;
    errorControl error;
    bool selected = true;
    {
        const BusyCursor cursor;
        // Nothing of the list is drawn until it is whole again.
        lvCleaned->setUpdatesEnabled(false);
        QCoreApplication::processEvents();
        cmdShowMore->hide();
        m_cleanedModel->clear();

        RecordSelection selection;
        const QList<QTreeWidgetItem*> nodes = tree->selectedItems();
        // No node selected: no day, no records.
        if (!nodes.isEmpty()) {
            // "All" is the only node without a parent; a day's node holds the day's date text.
            const QString day =
                nodes.first()->parent() == nullptr ? QString() : nodes.first()->text(0);
            selected = selectRecords(*m_global, txtMask->text(), day, showAll, selection, error);
        }
        m_cleanedModel->setRecords(m_global.get(), selection.records);
        cmdShowMore->setVisible(selection.capped);
        browserBusy = false;

        cleanedSortColumn = CleanedItemsModel::Name;
        cleanedSortDirection = 1;
        sortCleanedList();
        cmdRestore->setEnabled(false);
        cmdOpenFolder->setEnabled(false);
        if (m_cleanedModel->rowCount() > 0) {
            const QModelIndex first = m_cleanedModel->index(0, 0);
            lvCleaned->selectionModel()->setCurrentIndex(
                first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        lvCleaned->setUpdatesEnabled(true);
    }
    // The list is usable again before the user reads why it is empty.
    if (!selected) {
        m_prompts->showMessage(error.message);
    }
}

void TfrmMain::treeChange() {
    rfrLog(false);
}

void TfrmMain::cmdSearchClick() {
    // A search covers every day.
    if (QTreeWidgetItem* all = tree->topLevelItem(0)) {
        selectTreeNode(all);
    }
    rfrLog(false);
}

void TfrmMain::cmdShowMoreClick() {
    rfrLog(true);
}

void TfrmMain::sortCleanedList() {
    m_cleanedModel->sortRows(cleanedSortColumn, cleanedSortDirection);
    lvCleaned->header()->setSortIndicator(
        cleanedSortColumn, cleanedSortDirection > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TfrmMain::lvCleanedColumnClick(int column) {
    if (column == cleanedSortColumn) {
        cleanedSortDirection = -cleanedSortDirection;
    } else {
        cleanedSortColumn = column;
    }
    sortCleanedList();
}

int TfrmMain::lvCleanedCompare(int rowA, int rowB) const {
    return m_cleanedModel->compareRows(cleanedSortColumn, rowA, rowB) * cleanedSortDirection;
}

void TfrmMain::lvCleanedSelectItem() {
    const QList<int> rows = lvCleaned->selectedRowsInOrder();
    const logLine* record = rows.size() == 1 ? m_cleanedModel->recordAt(rows.first()) : nullptr;
    cmdOpenFolder->setEnabled(record != nullptr && !record->destinationFolder.isEmpty());
    cmdRestore->setEnabled(!rows.isEmpty());
}

void TfrmMain::lvCleanedResize() {
    resizeLogLv();
}

void TfrmMain::resizeLogLv() {
    lvCleaned->resizeLogLv();
}

void TfrmMain::cmdOpenFolderClick() {
    const QList<int> rows = lvCleaned->selectedRowsInOrder();
    const logLine* record = rows.size() == 1 ? m_cleanedModel->recordAt(rows.first()) : nullptr;
    if (record == nullptr || record->destinationFolder.isEmpty()) {
        return;
    }
    const QString& folder = record->destinationFolder;
    // The desktop's opener says nothing of a folder that is gone; the user hears it here.
    if (!QDir::isAbsolutePath(folder) || !QFileInfo(folder).isDir()) {
        m_prompts->showMessage(texts::destinationFolderGone(folder));
        return;
    }
    if (!m_parts.urlOpener.openUrl(QUrl::fromLocalFile(folder))) {
        m_prompts->showMessage(texts::folderNotOpened(folder));
    }
}

void TfrmMain::cmdRestoreClick() {
    // Every row in the list's order, so that the progress walks the list as the user sees it.
    QList<RestoreRow> rows;
    const int count = m_cleanedModel->rowCount();
    rows.reserve(count);
    const QItemSelectionModel* selection = lvCleaned->selectionModel();
    for (int row = 0; row < count; ++row) {
        rows.append({m_cleanedModel->logIndex(row), selection->isRowSelected(row)});
    }
    EndingProgress progress(*frmProgress, m_ending);
    ShellOperations shell(*m_prompts);
    restoreCommand command(*m_global, *m_prompts, progress, shell, m_guard);
    const bool alreadyBusy = m_guard.isBusy();
    if (!alreadyBusy) {
        mainPageControl->setEnabled(false);
    }
    command.restore(rows);
    if (!alreadyBusy) {
        mainPageControl->setEnabled(true);
    }
    if (m_ending.requested && !alreadyBusy) {
        closeApp();
    }
}

// --- The desktop contents view -----------------------------------------------------------

void TfrmMain::refreshDesktopView() {
    // A run walks the current plan; only its own rescan after the run may replace it.
    if (m_global == nullptr || m_refreshing || (m_guard.isBusy() && !m_rescanning)) {
        return;
    }
    m_refreshing = true;
    errorControl error;
    bool scanned = false;
    {
        const BusyCursor cursor;
        QCoreApplication::processEvents();
        m_model->setPlan(nullptr);
        m_plan = std::make_unique<taskManager>();
        scanned = m_plan->scanDesktops(*m_global, m_shellInfo, error);
        if (!scanned) {
            // The list and the plan agree: both empty, so nothing is cleaned by mistake.
            m_plan->tasks.clear();
        }
        fillDesktopList();
        initActionPopup();
    }
    m_refreshing = false;
    if (!scanned) {
        m_prompts->showMessage(error.message);
    }
}

void TfrmMain::fillDesktopList() {
    lvFiles->setUpdatesEnabled(false);
    m_model->setPlan(nullptr);
    QCoreApplication::processEvents();
    m_model->setPlan(m_plan.get());
    lvFiles->setUpdatesEnabled(true);
    filesSortColumn = DesktopContentsModel::Action;
    sortDesktopList();
}

void TfrmMain::sortDesktopList() {
    m_model->sortRows(filesSortColumn, filesSortDirection);
    lvFiles->header()->setSortIndicator(
        filesSortColumn, filesSortDirection > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TfrmMain::lvFilesColumnClick(int column) {
    if (column == filesSortColumn) {
        filesSortDirection = -filesSortDirection;
    } else {
        filesSortColumn = column;
    }
    sortDesktopList();
}

void TfrmMain::resizeCols() {
    lvFiles->resizeCols();
}

void TfrmMain::initActionPopup() {
    m_plan->collectDestinations(*m_global);
    popUpActions->clear();
    mnuMoveTo->clear();
    const auto add = [this](QMenu* menu, const QString& caption, int image, int command) {
        QAction* entry = menu->addAction(actionImage(image), caption);
        entry->setData(command);
        connect(entry, &QAction::triggered, this, [this, command] { popUpItemClick(command); });
        return entry;
    };
    add(popUpActions, texts::leaveItem(), actionimage::Leave, actions::Leave);
    add(popUpActions, texts::archiveItem(), actionimage::Archive, actions::Archive);
    popUpActions->addSeparator()->setData(tag::none);
    add(popUpActions, texts::deleteItem(), actionimage::Delete, actions::Delete);
    add(popUpActions, texts::recycleItem(), actionimage::Recycle, actions::Recycle);
    popUpActions->addSeparator()->setData(tag::none);
    popUpActions->addMenu(mnuMoveTo)->setData(tag::none);
    popUpActions->addSeparator()->setData(tag::none);
    add(popUpActions, texts::selectAllItem(), actionimage::SelectAll, tag::selectAll);
    add(popUpActions, texts::unselectAllItem(), actionimage::UnselectAll, tag::unselectAll);
    popUpActions->addSeparator()->setData(tag::none);
    add(popUpActions, texts::createRuleItem(), actionimage::CreateRule, tag::createRule);

    add(mnuMoveTo, texts::selectDestinationItem(), actionimage::PickFolder, tag::selectFolder);
    mnuMoveTo->addSeparator()->setData(tag::none);
    QAction* documents =
        add(mnuMoveTo, texts::userDocumentsItem(), actionimage::UserDocuments, tag::userDocuments);
    documents->setEnabled(!m_parts.locations.documentsFolder().isEmpty());
    for (std::size_t i = 0; i < m_plan->destinations.size(); ++i) {
        const QString& path = m_plan->destinations[i]->path;
        QAction* entry = add(mnuMoveTo, menuText(path), actionimage::DestinationFolder,
                             tag::firstDestination + static_cast<int>(i));
        entry->setToolTip(path);
        entry->setStatusTip(path);
    }
}

void TfrmMain::lvFilesPopup(const QPoint& globalPos) {
    // Without a selected row there is nothing for the menu's commands to work on.
    if (lvFiles->selectedRowsInOrder().isEmpty()) {
        return;
    }
    popUpActions->popup(globalPos);
}

void TfrmMain::popUpItemClick(int command) {
    switch (command) {
    case actions::Leave:
    case actions::Archive:
    case actions::Recycle:
    case actions::Delete:
        changeAction(static_cast<ActionKind>(command), {});
        return;
    case tag::selectAll:
        lvFiles->selectAll();
        return;
    case tag::unselectAll:
        lvFiles->clearSelection();
        return;
    case tag::createRule: {
        const QList<int> rows = lvFiles->selectedRowsInOrder();
        if (!rows.isEmpty()) {
            createRuleForFileType(m_model->planIndex(rows.first()));
        }
        return;
    }
    case tag::selectFolder: {
        QString folder = QDir::homePath();
        if (m_prompts->browseForFolder(folder)) {
            changeAction(actions::MoveToFolder, folder);
            initActionPopup();
        }
        return;
    }
    case tag::userDocuments: {
        const QString documents = m_parts.locations.documentsFolder();
        if (!documents.isEmpty()) {
            changeAction(actions::MoveToFolder, documents);
        }
        return;
    }
    default:
        break;
    }
    const auto destination = static_cast<std::size_t>(command - tag::firstDestination);
    if (command >= tag::firstDestination && destination < m_plan->destinations.size()) {
        changeAction(actions::MoveToFolder, m_plan->destinations[destination]->path);
    }
}

void TfrmMain::changeAction(ActionKind action, const QString& folder) {
    for (const int row : lvFiles->selectedRowsInOrder()) {
        const int index = m_model->planIndex(row);
        if (index < 0) {
            continue;
        }
        task& item = *m_plan->tasks[static_cast<std::size_t>(index)];
        item.action = action;
        item.destination = folder;
        m_model->itemChanged(row);
    }
}

void TfrmMain::createRuleForFileType(int planIndex) {
    if (planIndex < 0 || planIndex >= m_plan->taskCount()) {
        return;
    }
    auto made = std::make_unique<rule>();
    made->action = actions::NotChosen;
    ruleCondition& condition = made->addCondition();
    condition.type = conditions::NameMask;
    condition.mask = QStringLiteral("*.") +
                     extensionForRule(m_plan->tasks[static_cast<std::size_t>(planIndex)]->name);
    if (!frmRuleEditor->edit(*made)) {
        return;
    }
    m_global->rules.insert(m_global->rules.begin(), std::move(made));
    // A rule the user confirmed must never vanish, also when "Exit" comes before any other
    // save.
    errorControl error;
    if (!m_global->saveConfiguration(error)) {
        m_prompts->showMessage(texts::configurationWriteError() + error.message);
    }
    refreshDesktopView();
}

// --- "Start Cleaning" --------------------------------------------------------------------

void TfrmMain::spSkinButton1Click() {
    clean();
}

void TfrmMain::clean() {
    EndingProgress progress(*frmProgress, m_ending);
    ShellOperations shell(*m_prompts);
    WarningConfirmation confirmation(*frmWarning);
    cleanCommand command(*m_global, *m_prompts, progress, shell, confirmation, m_guard);
    command.rescan = [this] {
        m_rescanning = true;
        refreshDesktopView();
        m_rescanning = false;
    };
    command.showCleanedItems = [this] {
        genSearchTree();
        browseTreeBuilt = true;
        selectTab(1);
    };
    command.afterRun = [this] {
        // Nobody waits for an answer on the way out.
        if (m_ending.requested) {
            return false;
        }
        return checkForUpdate(*m_global, *m_prompts, m_parts.urlOpener, m_parts.updateService);
    };

    // The commands stay out of reach while a run goes on; the tray's Exit still ends it.
    const bool alreadyBusy = m_guard.isBusy();
    if (!alreadyBusy) {
        mainPageControl->setEnabled(false);
    }
    const CleanOutcome outcome = command.clean(*m_plan);
    if (!alreadyBusy) {
        mainPageControl->setEnabled(true);
    }
    if (outcome.endApplication || (m_ending.requested && !alreadyBusy)) {
        closeApp();
    }
}

} // namespace moravel
