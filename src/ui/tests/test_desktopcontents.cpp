#include "engine/rule.h"
#include "modal.h"
#include "scanner/taskmanager.h"
#include "storage/localedatetime.h"
#include "ui/desktopcontentsmodel.h"
#include "ui/desktopcontentsview.h"
#include "ui/tfrmruleeditor.h"
#include "windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>

using namespace moravel;
using namespace moravel::testing;
using namespace Qt::Literals::StringLiterals;

namespace {

using Column = DesktopContentsModel::Column;

QString cell(TfrmMain& window, int row, int column) {
    return window.lvFiles->model()->index(row, column).data().toString();
}

QStringList column(TfrmMain& window, int index) {
    QStringList texts;
    for (int row = 0; row < window.lvFiles->model()->rowCount(); ++row) {
        texts << cell(window, row, index);
    }
    return texts;
}

int rowNamed(TfrmMain& window, const QString& name) {
    return static_cast<int>(column(window, Column::Name).indexOf(name));
}

void selectNamed(TfrmMain& window, const QStringList& names) {
    window.lvFiles->clearSelection();
    for (const QString& name : names) {
        const int row = rowNamed(window, name);
        QVERIFY2(row >= 0, qPrintable(name));
        window.lvFiles->selectionModel()->select(window.lvFiles->model()->index(row, 0),
                                                 QItemSelectionModel::Select |
                                                     QItemSelectionModel::Rows);
    }
}

const task& itemNamed(TfrmMain& window, const QString& name) {
    for (const auto& item : window.plan().tasks) {
        if (item->name == name) {
            return *item;
        }
    }
    qFatal("no item %s", qPrintable(name));
}

// The entries of a menu as "text" or "-" for a separator, with their tags.
QStringList entries(const QMenu* menu) {
    QStringList result;
    for (const QAction* entry : menu->actions()) {
        result << (entry->isSeparator() ? u"-"_s : entry->text()) + u'=' +
                      QString::number(entry->data().toInt());
    }
    return result;
}

QAction* entryTagged(const QMenu* menu, int tag) {
    for (QAction* entry : menu->actions()) {
        if (!entry->isSeparator() && entry->data().toInt() == tag) {
            return entry;
        }
    }
    return nullptr;
}

void addRule(global& state, ActionKind action, const QString& mask, const QString& folder = {}) {
    rule& added = state.newRule();
    added.action = action;
    added.folder = folder;
    added.addCondition().mask = mask;
}

void setTimes(const QString& path, const QDateTime& modified, const QDateTime& accessed) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    QVERIFY(file.setFileTime(accessed, QFileDevice::FileAccessTime));
}

// A desktop whose items differ in every column, each planned by a rule of its own.
void sortingDesktop(WindowFixture& f) {
    f.configure([](global& state) {
        state.rules.clear();
        addRule(state, actions::Delete, u"b.pdf"_s);
        addRule(state, actions::MoveToFolder, u"a.txt"_s, u"/srv/Texts"_s);
        addRule(state, actions::Recycle, u"_x.jpg"_s);
        addRule(state, actions::Ask, u"C.txt"_s);
        addRule(state, actions::Leave, u"ä.txt"_s);
        addRule(state, actions::Archive, u"*"_s);
    });
    const auto put = [&f](const QString& path, qint64 size, int modifiedDay, int accessedDay) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size));
        file.close();
        setTimes(path, QDateTime(QDate(2010, 1, modifiedDay), QTime(9, 0)),
                 QDateTime(QDate(2010, 2, accessedDay), QTime(9, 0)));
    };
    put(f.desktop(u"b.pdf"_s), 300, 4, 2);
    put(f.desktop(u"a.txt"_s), 5000, 2, 6);
    put(f.desktop(u"_x.jpg"_s), 20, 6, 1);
    put(f.desktop(u"C.txt"_s), 1, 1, 5);
    put(f.desktop(u"ä.txt"_s), 70000, 3, 4);
    put(f.locations.commonDesktop + u"/Ab.pdf"_s, 0, 5, 3);
}

} // namespace

class DesktopContentsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cells_showEachItemAsItIs();
    void sort_data();
    void sort();
    void fill_sortsByActionKeepingTheDirection();
    void actionCell_fontAndColour_data();
    void actionCell_fontAndColour();
    void popup_opensOnlyOnASelection();
    void popup_entriesInOrderWithTheirTags();
    void changeAction_appliesToTheSelectedRowsOnly_data();
    void changeAction_appliesToTheSelectedRowsOnly();
    void selectAllAndUnselectAll();
    void moveTo_documentsAndKnownDestinations();
    void moveTo_documentsFolderNotFound_disablesTheEntry();
    void selectDestinationFolder_startsAtHomeAndIsOfferedAfterwards();
    void selectDestinationFolder_cancelChangesNothing();
    void createRule_maskFromTheFirstSelectedItem_data();
    void createRule_maskFromTheFirstSelectedItem();
    void createRule_okSavesAndReplans();
    void createRule_cancelDropsTheRule();
    void createRule_failedSaveIsShown();
    void failedRefresh_emptyListAndPlanAndTheCursorBack();
};

void DesktopContentsTest::cells_showEachItemAsItIs() {
    WindowFixture f;
    f.configure([](global& state) {
        state.rules.clear();
        addRule(state, actions::MoveToFolder, u"*.txt"_s, u"/srv/Texts"_s);
    });
    f.put(u"empty.txt"_s, 0);
    f.put(u"one.bin"_s, 1);
    f.put(u"big.bin"_s, 1048577);
    QVERIFY(QDir().mkpath(f.desktop(u"Folder"_s)));
    WindowFixture::write(f.locations.commonDesktop + u"/shared.bin"_s, "x");
    setTimes(f.desktop(u"one.bin"_s), QDateTime(QDate(2010, 5, 4), QTime(0, 0)),
             QDateTime(QDate(2010, 5, 4), QTime(0, 0)));
    setTimes(f.desktop(u"big.bin"_s), QDateTime(QDate(2010, 5, 4), QTime(13, 7, 9)),
             QDateTime(QDate(2010, 5, 4), QTime(13, 7, 9)));
    TfrmMain& window = f.startShown();

    QCOMPARE(window.lvFiles->model()->columnCount(), 7);
    QStringList headers;
    for (int i = 0; i < 7; ++i) {
        headers << window.lvFiles->model()->headerData(i, Qt::Horizontal).toString();
    }
    QCOMPARE(headers, (QStringList{u"Name"_s, u"Type"_s, u"Size"_s, u"Modified"_s, u"Desktop"_s,
                                   u"Action"_s, u"Destination"_s}));

    const auto row = [&](const QString& name) {
        const int r = rowNamed(window, name);
        QStringList texts;
        for (int c = 1; c < 7; ++c) {
            texts << (c == Column::Type || c == Column::Modified ? QString() : cell(window, r, c));
        }
        return texts;
    };
    QCOMPARE(row(u"empty.txt"_s),
             (QStringList{{}, u"0 KB"_s, {}, u"User"_s, u"Move to Folder"_s, u"/srv/Texts"_s}));
    QCOMPARE(row(u"one.bin"_s),
             (QStringList{{}, u"1 KB"_s, {}, u"User"_s, u"Leave on Desktop"_s, {}}));
    QCOMPARE(row(u"big.bin"_s).at(1), u"2 MB"_s);
    QCOMPARE(row(u"Folder"_s).at(1), u"-"_s);
    QCOMPARE(row(u"shared.bin"_s).at(3), u"Public"_s);
    // The date alone at midnight, date and time otherwise, as the log writes them.
    const auto modified = [&](const QString& name) {
        return cell(window, rowNamed(window, name), Column::Modified);
    };
    QCOMPARE(modified(u"one.bin"_s), shortDateText(QDate(2010, 5, 4)));
    QCOMPARE(modified(u"big.bin"_s),
             dateTimeText(toDateTimeValue(QDateTime(QDate(2010, 5, 4), QTime(13, 7, 9)))));
    QVERIFY(!cell(window, rowNamed(window, u"empty.txt"_s), Column::Type).isEmpty());
    // Each row carries its item's plan index.
    for (int r = 0; r < window.lvFiles->model()->rowCount(); ++r) {
        const int index =
            window.lvFiles->model()->index(r, 0).data(DesktopContentsModel::PlanIndexRole).toInt();
        QCOMPARE(window.plan().tasks[static_cast<std::size_t>(index)]->name, cell(window, r, 0));
    }
}

void DesktopContentsTest::sort_data() {
    QTest::addColumn<int>("sortColumn");
    QTest::addColumn<QStringList>("ascending");
    // Letters a to z fold to upper case and everything else sorts by its code: "_" after the
    // letters, "ä" after them all; the shorter of two texts where one begins the other first.
    QTest::newRow("name") << int(Column::Name) << QStringList{u"a.txt"_s, u"Ab.pdf"_s, u"b.pdf"_s,
                                                              u"C.txt"_s, u"_x.jpg"_s, u"ä.txt"_s};
    QTest::newRow("size") << int(Column::Size) << QStringList{u"Ab.pdf"_s, u"C.txt"_s, u"_x.jpg"_s,
                                                              u"b.pdf"_s,  u"a.txt"_s, u"ä.txt"_s};
    QTest::newRow("modified") << int(Column::Modified)
                              << QStringList{u"C.txt"_s, u"a.txt"_s,  u"ä.txt"_s,
                                             u"b.pdf"_s, u"Ab.pdf"_s, u"_x.jpg"_s};
    // The desktop column orders by the last access.
    QTest::newRow("desktop, by access")
        << int(Column::Desktop)
        << QStringList{u"_x.jpg"_s, u"b.pdf"_s, u"Ab.pdf"_s, u"ä.txt"_s, u"C.txt"_s, u"a.txt"_s};
    QTest::newRow("action") << int(Column::Action)
                            << QStringList{u"C.txt"_s, u"Ab.pdf"_s, u"b.pdf"_s,
                                           u"ä.txt"_s, u"a.txt"_s,  u"_x.jpg"_s};
    // Equal keys keep the plan's order; "/srv/Texts" comes last.
    QTest::newRow("destination") << int(Column::Destination) << QStringList{};
}

void DesktopContentsTest::sort() {
    QFETCH(int, sortColumn);
    QFETCH(QStringList, ascending);
    WindowFixture f;
    sortingDesktop(f);
    TfrmMain& window = f.startShown();
    QHeaderView* header = window.lvFiles->header();
    if (sortColumn != Column::Action) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(sortColumn) + 5, 5));
    }
    QCOMPARE(window.filesSortColumn, sortColumn);
    QCOMPARE(window.filesSortDirection, 1);
    QCOMPARE(header->sortIndicatorSection(), sortColumn);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    if (ascending.isEmpty()) {
        QCOMPARE(column(window, Column::Destination).last(), u"/srv/Texts"_s);
        QStringList planOrder;
        for (const auto& item : window.plan().tasks) {
            if (item->destination.isEmpty()) {
                planOrder << item->name;
            }
        }
        QCOMPARE(column(window, Column::Name).mid(0, 5), planOrder);
        return;
    }
    QCOMPARE(column(window, Column::Name), ascending);

    window.lvFilesColumnClick(sortColumn);
    std::reverse(ascending.begin(), ascending.end());
    QCOMPARE(column(window, Column::Name), ascending);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
}

void DesktopContentsTest::fill_sortsByActionKeepingTheDirection() {
    WindowFixture f;
    sortingDesktop(f);
    TfrmMain& window = f.startShown();
    QCOMPARE(column(window, Column::Action),
             (QStringList{u"? Ask what to do"_s, u"Archive"_s, u"Delete"_s, u"Leave on Desktop"_s,
                          u"Move to Folder"_s, u"Move to Recycle Bin"_s}));

    // Name, then Name again: descending by name.
    window.lvFilesColumnClick(Column::Name);
    window.lvFilesColumnClick(Column::Name);
    QCOMPARE(window.filesSortDirection, -1);
    window.refreshDesktopView();
    QCOMPARE(window.filesSortColumn, int(Column::Action));
    QCOMPARE(window.filesSortDirection, -1);
    QCOMPARE(column(window, Column::Action).first(), u"Move to Recycle Bin"_s);
    window.lvFilesColumnClick(Column::Action);
    QCOMPARE(column(window, Column::Action).first(), u"? Ask what to do"_s);

    // A changed action is not sorted in.
    selectNamed(window, {u"C.txt"_s});
    window.popUpItemClick(actions::Delete);
    QCOMPARE(cell(window, 0, Column::Name), u"C.txt"_s);
    QCOMPARE(cell(window, 0, Column::Action), u"Delete"_s);
}

void DesktopContentsTest::actionCell_fontAndColour_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("red");
    QTest::newRow("Leave") << int(actions::Leave) << false << false;
    QTest::newRow("Archive") << int(actions::Archive) << true << false;
    QTest::newRow("Move to Folder") << int(actions::MoveToFolder) << true << false;
    QTest::newRow("Recycle") << int(actions::Recycle) << true << true;
    QTest::newRow("Delete") << int(actions::Delete) << true << true;
    QTest::newRow("Ask") << int(actions::Ask) << false << false;
}

void DesktopContentsTest::actionCell_fontAndColour() {
    QFETCH(int, action);
    QFETCH(bool, bold);
    QFETCH(bool, red);
    WindowFixture f;
    f.put(u"item.txt"_s);
    TfrmMain& window = f.startShown();
    window.lvFiles->selectAll();
    window.changeAction(static_cast<ActionKind>(action), {});
    const QModelIndex index = window.lvFiles->model()->index(0, Column::Action);
    QCOMPARE(index.data().toString(), actionName(action));
    QVERIFY(!index.data(Qt::DecorationRole).value<QIcon>().isNull());
    const QVariant font = index.data(Qt::FontRole);
    QCOMPARE(font.isValid() && font.value<QFont>().bold(), bold);
    const QVariant foreground = index.data(Qt::ForegroundRole);
    QCOMPARE(foreground.isValid() && foreground.value<QBrush>().color() == QColor(Qt::red), red);
    // Other cells of the row keep the list's own font and colour.
    QVERIFY(!window.lvFiles->model()->index(0, Column::Name).data(Qt::FontRole).isValid());
    QVERIFY(!window.lvFiles->model()->index(0, Column::Name).data(Qt::ForegroundRole).isValid());
}

void DesktopContentsTest::popup_opensOnlyOnASelection() {
    WindowFixture f;
    f.put(u"a.txt"_s);
    TfrmMain& window = f.startShown();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget* viewport = window.lvFiles->viewport();
    const QPoint onRow = window.lvFiles->visualRect(window.lvFiles->model()->index(0, 0)).center();
    const auto rightClick = [&](const QPoint& at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
    };

    window.lvFiles->clearSelection();
    rightClick(QPoint(5, viewport->height() - 5));
    QVERIFY(!window.popUpActions->isVisible());

    QTest::mouseClick(viewport, Qt::LeftButton, {}, onRow);
    QCOMPARE(window.lvFiles->selectedRowsInOrder(), QList<int>{0});
    rightClick(onRow);
    QVERIFY(window.popUpActions->isVisible());
    window.popUpActions->hide();

    // From the keyboard: the menu key and Shift+F10.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0),
                              viewport->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(viewport, &menuKey);
    QVERIFY(window.popUpActions->isVisible());
    window.popUpActions->hide();
    QTest::keyClick(window.lvFiles, Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(window.popUpActions->isVisible());
    window.popUpActions->hide();

    // An empty desktop can have no selection, so no menu.
    QVERIFY(QFile::remove(f.desktop(u"a.txt"_s)));
    window.refreshDesktopView();
    QCOMPARE(window.lvFiles->model()->rowCount(), 0);
    window.lvFiles->selectAll();
    QTest::keyClick(window.lvFiles, Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(!window.popUpActions->isVisible());
}

void DesktopContentsTest::popup_entriesInOrderWithTheirTags() {
    WindowFixture f;
    f.configure([](global& state) {
        addRule(state, actions::MoveToFolder, u"*.odt"_s, u"/srv/Letters & Bills"_s);
        state.logAction(QByteArrayLiteral("old.odt"), u"/srv/letters & bills"_s,
                        actions::MoveToFolder);
        errorControl error;
        QVERIFY(state.writeLog(error));
    });
    TfrmMain& window = f.startShown();
    QCOMPARE(
        entries(window.popUpActions),
        (QStringList{u"Leave on Desktop=0"_s, u"Archive=1"_s, u"-=-1"_s, u"Delete=4"_s,
                     u"Recycle=3"_s, u"-=-1"_s, u"Move to=-1"_s, u"-=-1"_s, u"Select All=997"_s,
                     u"Unselect all=996"_s, u"-=-1"_s, u"Create rule for this file type=995"_s}));
    // Folders are listed as spelled; letter case makes another folder.
    QCOMPARE(entries(window.mnuMoveTo),
             (QStringList{u"Select destination folder=999"_s, u"-=-1"_s, u"User Documents=998"_s,
                          u"/srv/Letters && Bills=1000"_s, u"/srv/letters && bills=1001"_s}));
    QCOMPARE(entryTagged(window.mnuMoveTo, 1000)->toolTip(), u"/srv/Letters & Bills"_s);
    for (const QMenu* menu : {window.popUpActions, window.mnuMoveTo}) {
        for (const QAction* entry : menu->actions()) {
            QVERIFY(entry->isSeparator() || !entry->icon().isNull());
        }
    }
    // A command without a tag of its own does nothing.
    window.popUpItemClick(-1);
    QVERIFY(f.prompts.everything().isEmpty());
}

void DesktopContentsTest::changeAction_appliesToTheSelectedRowsOnly_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("action");
    QTest::newRow("Leave on Desktop") << 0 << u"Leave on Desktop"_s;
    QTest::newRow("Archive") << 1 << u"Archive"_s;
    QTest::newRow("Delete") << 4 << u"Delete"_s;
    QTest::newRow("Recycle") << 3 << u"Move to Recycle Bin"_s;
}

void DesktopContentsTest::changeAction_appliesToTheSelectedRowsOnly() {
    QFETCH(int, tag);
    QFETCH(QString, action);
    WindowFixture f;
    f.configure([](global& state) {
        state.rules.clear();
        addRule(state, actions::MoveToFolder, u"*"_s, u"/srv/Moved"_s);
    });
    for (const QString& name : {u"a.txt"_s, u"b.txt"_s, u"c.txt"_s}) {
        f.put(name);
    }
    TfrmMain& window = f.startShown();
    selectNamed(window, {u"a.txt"_s, u"c.txt"_s});
    entryTagged(window.popUpActions, tag)->trigger();
    for (const QString& name : {u"a.txt"_s, u"c.txt"_s}) {
        QCOMPARE(cell(window, rowNamed(window, name), Column::Action), action);
        // These actions clear the destination, in the plan and in the list.
        QCOMPARE(cell(window, rowNamed(window, name), Column::Destination), QString());
        QCOMPARE(itemNamed(window, name).action, static_cast<ActionKind>(tag));
        QVERIFY(itemNamed(window, name).destination.isEmpty());
    }
    QCOMPARE(cell(window, rowNamed(window, u"b.txt"_s), Column::Action), u"Move to Folder"_s);
    QCOMPARE(itemNamed(window, u"b.txt"_s).destination, u"/srv/Moved"_s);
    // Nothing is saved or rescanned by it.
    QVERIFY(f.prompts.everything().isEmpty());
}

void DesktopContentsTest::selectAllAndUnselectAll() {
    WindowFixture f;
    for (const QString& name : {u"a.txt"_s, u"b.txt"_s, u"c.txt"_s}) {
        f.put(name);
    }
    TfrmMain& window = f.startShown();
    selectNamed(window, {u"b.txt"_s});
    entryTagged(window.popUpActions, 997)->trigger();
    QCOMPARE(window.lvFiles->selectedRowsInOrder(), (QList<int>{0, 1, 2}));
    entryTagged(window.popUpActions, 996)->trigger();
    QVERIFY(window.lvFiles->selectedRowsInOrder().isEmpty());
}

void DesktopContentsTest::moveTo_documentsAndKnownDestinations() {
    WindowFixture f;
    f.configure([](global& state) {
        addRule(state, actions::MoveToFolder, u"*.odt"_s, u"/srv/Letters"_s);
    });
    f.put(u"a.txt"_s);
    f.put(u"b.txt"_s);
    TfrmMain& window = f.startShown();
    selectNamed(window, {u"a.txt"_s});
    entryTagged(window.mnuMoveTo, 998)->trigger();
    QCOMPARE(itemNamed(window, u"a.txt"_s).action, actions::MoveToFolder);
    QCOMPARE(itemNamed(window, u"a.txt"_s).destination, f.locations.documents);
    QCOMPARE(cell(window, rowNamed(window, u"a.txt"_s), Column::Destination),
             f.locations.documents);

    selectNamed(window, {u"b.txt"_s});
    entryTagged(window.mnuMoveTo, 1000)->trigger();
    QCOMPARE(itemNamed(window, u"b.txt"_s).destination, u"/srv/Letters"_s);
    QCOMPARE(cell(window, rowNamed(window, u"b.txt"_s), Column::Action), u"Move to Folder"_s);
}

void DesktopContentsTest::moveTo_documentsFolderNotFound_disablesTheEntry() {
    WindowFixture f;
    f.configure([](global&) {});
    f.locations.documents.clear();
    TfrmMain& window = f.startShown();
    QVERIFY(!entryTagged(window.mnuMoveTo, 998)->isEnabled());
    QVERIFY(entryTagged(window.mnuMoveTo, 999)->isEnabled());
}

void DesktopContentsTest::selectDestinationFolder_startsAtHomeAndIsOfferedAfterwards() {
    WindowFixture f;
    f.put(u"a.txt"_s);
    f.put(u"b.txt"_s);
    TfrmMain& window = f.startShown();
    const QString picked = f.root() + u"/Picked Folder"_s;
    QVERIFY(QDir().mkpath(picked));
    f.prompts.pickedFolders << picked;
    selectNamed(window, {u"a.txt"_s});
    entryTagged(window.mnuMoveTo, 999)->trigger();
    QCOMPARE(f.prompts.pickerStarts, QStringList{QDir::homePath()});
    QCOMPARE(itemNamed(window, u"a.txt"_s).destination, picked);
    QCOMPARE(itemNamed(window, u"a.txt"_s).action, actions::MoveToFolder);
    // The rebuilt menu offers it as spelled, for the other items too.
    QAction* offered = entryTagged(window.mnuMoveTo, 1000);
    QVERIFY(offered != nullptr);
    QCOMPARE(offered->text(), picked);
    selectNamed(window, {u"b.txt"_s});
    offered->trigger();
    QCOMPARE(itemNamed(window, u"b.txt"_s).destination, picked);
}

void DesktopContentsTest::selectDestinationFolder_cancelChangesNothing() {
    WindowFixture f;
    f.put(u"a.txt"_s);
    TfrmMain& window = f.startShown();
    selectNamed(window, {u"a.txt"_s});
    const QStringList before = entries(window.mnuMoveTo);
    entryTagged(window.mnuMoveTo, 999)->trigger();
    QCOMPARE(f.prompts.pickerStarts.size(), 1);
    QCOMPARE(itemNamed(window, u"a.txt"_s).action, actions::Archive);
    QCOMPARE(entries(window.mnuMoveTo), before);
}

void DesktopContentsTest::createRule_maskFromTheFirstSelectedItem_data() {
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("mask");
    QTest::newRow("the part after the last dot") << QStringList{u"backup.tar.gz"_s} << u"*.gz"_s;
    QTest::newRow("a name without a dot") << QStringList{u"Projects"_s} << u"*.Projects"_s;
    QTest::newRow("a name ending in a dot") << QStringList{u"odd."_s} << u"*."_s;
    QTest::newRow("the first of several, as shown")
        << QStringList{u"zeta.pdf"_s, u"alpha.doc"_s} << u"*.doc"_s;
}

void DesktopContentsTest::createRule_maskFromTheFirstSelectedItem() {
    QFETCH(QStringList, selected);
    QFETCH(QString, mask);
    WindowFixture f;
    for (const QString& name : {u"backup.tar.gz"_s, u"odd."_s, u"zeta.pdf"_s, u"alpha.doc"_s}) {
        f.put(name);
    }
    QVERIFY(QDir().mkpath(f.desktop(u"Projects"_s)));
    TfrmMain& window = f.startShown();
    window.lvFilesColumnClick(Column::Name);
    selectNamed(window, selected);
    QString shownMask;
    int shownAction = 0;
    auto outcome = answerModal([&](QWidget& dialog) {
        auto* editor = qobject_cast<TfrmRuleEditor*>(&dialog);
        if (editor != nullptr) {
            shownMask = editor->txtMask->text();
            shownAction = editor->cmbAction->currentIndex();
            editor->cmdCancel->click();
        }
    });
    entryTagged(window.popUpActions, 995)->trigger();
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(shownMask, mask);
    QCOMPARE(shownAction, -1); // the new rule's action is not chosen yet
}

void DesktopContentsTest::createRule_okSavesAndReplans() {
    WindowFixture f;
    f.configure([](global&) {});
    f.put(u"report.pdf"_s);
    f.put(u"notes.txt"_s);
    TfrmMain& window = f.startShown();
    const std::size_t rulesBefore = window.state().rules.size();
    selectNamed(window, {u"report.pdf"_s});
    auto outcome = answerModal([](QWidget& dialog) {
        auto* editor = qobject_cast<TfrmRuleEditor*>(&dialog);
        if (editor != nullptr) {
            editor->cmbAction->setCurrentIndex(actions::Delete);
            editor->cmdOK->click();
        }
    });
    window.popUpItemClick(995);
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(window.state().rules.size(), rulesBefore + 1);
    QCOMPARE(window.state().rules.front()->action, actions::Delete);
    QCOMPARE(itemNamed(window, u"report.pdf"_s).action, actions::Delete);
    QCOMPARE(itemNamed(window, u"notes.txt"_s).action, actions::Archive);

    // On disk already, before any other save: an Exit now loses nothing.
    global saved(f.locations, f.clock);
    errorControl error;
    QCOMPARE(saved.loadConfiguration(error, f.prompts), 0);
    QCOMPARE(saved.rules.size(), rulesBefore + 1);
    QCOMPARE(saved.rules.front()->action, actions::Delete);
    QCOMPARE(saved.rules.front()->conditions.size(), 1u);
    QCOMPARE(saved.rules.front()->conditions.front()->mask, u"*.pdf"_s);
    QVERIFY(f.prompts.everything().isEmpty());
}

void DesktopContentsTest::createRule_cancelDropsTheRule() {
    WindowFixture f;
    f.configure([](global&) {});
    f.put(u"report.pdf"_s);
    TfrmMain& window = f.startShown();
    const QByteArray fileBefore = [&] {
        QFile file(f.configPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    selectNamed(window, {u"report.pdf"_s});
    auto outcome = answerModal([](QWidget& dialog) {
        auto* editor = qobject_cast<TfrmRuleEditor*>(&dialog);
        if (editor != nullptr) {
            editor->cmbAction->setCurrentIndex(actions::Delete);
            editor->cmdCancel->click();
        }
    });
    window.popUpItemClick(995);
    QVERIFY(outcome->seen);
    QCOMPARE(window.state().rules.size(), 1u);
    QCOMPARE(itemNamed(window, u"report.pdf"_s).action, actions::Archive);
    QFile file(f.configPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), fileBefore);
}

void DesktopContentsTest::createRule_failedSaveIsShown() {
    WindowFixture f;
    f.configure([](global&) {});
    f.put(u"report.pdf"_s);
    TfrmMain& window = f.startShown();
    // A folder where the file must go: it cannot be replaced, by root neither.
    QVERIFY(QFile::remove(f.configPath()));
    QVERIFY(QDir().mkpath(f.configPath() + u"/in the way"_s));
    selectNamed(window, {u"report.pdf"_s});
    auto outcome = answerModal([](QWidget& dialog) {
        auto* editor = qobject_cast<TfrmRuleEditor*>(&dialog);
        if (editor != nullptr) {
            editor->cmbAction->setCurrentIndex(actions::Recycle);
            editor->cmdOK->click();
        }
    });
    window.popUpItemClick(995);
    QVERIFY(outcome->seen);
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY2(f.prompts.messages.first().startsWith(u"Error while writing configuration file. "_s),
             qPrintable(f.prompts.messages.first()));
    QVERIFY(f.prompts.messages.first().size() >
            u"Error while writing configuration file. "_s.size());
    // The rule is kept in memory and planned all the same.
    QCOMPARE(window.state().rules.front()->action, actions::Recycle);
    QCOMPARE(itemNamed(window, u"report.pdf"_s).action, actions::Recycle);
}

void DesktopContentsTest::failedRefresh_emptyListAndPlanAndTheCursorBack() {
    WindowFixture f;
    f.put(u"a.txt"_s);
    f.put(u"b.txt"_s);
    TfrmMain& window = f.startShown();
    QCOMPARE(window.lvFiles->model()->rowCount(), 2);
    addRule(window.state(), actions::Delete, u"[a-"_s);
    window.state().rules.insert(window.state().rules.begin(),
                                std::move(window.state().rules.back()));
    window.state().rules.pop_back();
    QCursor* cursorDuringMessage = nullptr;
    f.prompts.messages.clear();
    window.refreshDesktopView();
    cursorDuringMessage = QGuiApplication::overrideCursor();
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY2(f.prompts.messages.first().contains(u"is an invalid mask at"_s),
             qPrintable(f.prompts.messages.first()));
    QCOMPARE(window.plan().taskCount(), 0);
    QCOMPARE(window.lvFiles->model()->rowCount(), 0);
    QCOMPARE(cursorDuringMessage, nullptr);
    // Nothing to clean, rather than half a plan.
    window.clean();
    QCOMPARE(f.prompts.messages.last(), u"There is nothing to clean."_s);
}

QTEST_MAIN(DesktopContentsTest)
#include "test_desktopcontents.moc"
