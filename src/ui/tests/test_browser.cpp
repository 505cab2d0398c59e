#include "engine/asciicase.h"
#include "platform/shellinfo.h"
#include "platform/trash.h"
#include "storage/localedatetime.h"
#include "ui/cleaneditemsmodel.h"
#include "ui/cleaneditemsview.h"
#include "ui/tfrmprogress.h"
#include "windowfixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTreeWidget>

using namespace moravel;
using namespace moravel::testing;
using namespace Qt::Literals::StringLiterals;

namespace {

using Column = CleanedItemsModel::Column;

const QDateTime march7(QDate(2011, 3, 7), QTime(9, 30, 0));
const QDateTime march8(QDate(2011, 3, 8), QTime(11, 0, 0));

struct Record {
    QString name;
    ActionKind action = actions::Archive;
    QString folder; // empty for Recycle and Delete
    QDateTime at = march7;
    int run = 1;
};

// Writes the records into the log, oldest first, before the window starts.
void writeLog(WindowFixture& f, const QList<Record>& records) {
    f.configure([&records](global& state) {
        for (const Record& each : records) {
            logLine& line = state.newLogLine();
            line.operationNumber = each.run;
            line.setItemName(each.name.toUtf8());
            line.performedAction = each.action;
            line.destinationFolder = each.folder;
            line.cleanedAt = toDateTimeValue(each.at);
        }
        errorControl error;
        QVERIFY2(state.writeLog(error), qPrintable(error.message));
    });
}

// Starts the window and opens the browser, as the user does.
TfrmMain& openBrowser(WindowFixture& f) {
    TfrmMain& window = f.startShown();
    window.mainPageControl->setCurrentIndex(1);
    return window;
}

QStringList columnTexts(TfrmMain& window, int column) {
    QStringList texts;
    const QAbstractItemModel* model = window.lvCleaned->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        texts << model->index(row, column).data().toString();
    }
    return texts;
}

QStringList shownNames(TfrmMain& window) {
    return columnTexts(window, Column::Name);
}

QStringList treeTexts(const QTreeWidget* tree) {
    QStringList texts;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it != nullptr; ++it) {
        texts << (*it)->text(0);
    }
    return texts;
}

QTreeWidgetItem* dayNode(TfrmMain& window, const QDate& day) {
    QTreeWidgetItem* all = window.tree->topLevelItem(0);
    for (int i = 0; i < all->childCount(); ++i) {
        if (all->child(i)->text(0) == shortDateText(day)) {
            return all->child(i);
        }
    }
    return nullptr;
}

// Clicks a node of the date tree as the user does.
void clickNode(TfrmMain& window, QTreeWidgetItem* node) {
    QVERIFY(node != nullptr);
    const QRect place = window.tree->visualItemRect(node);
    QTest::mouseClick(window.tree->viewport(), Qt::LeftButton, {}, place.center());
}

void search(TfrmMain& window, const QString& mask) {
    window.txtMask->selectAll();
    window.txtMask->del();
    QTest::keyClicks(window.txtMask, mask);
    QTest::keyClick(window.txtMask, Qt::Key_Return);
}

void clickHeader(TfrmMain& window, int column) {
    QHeaderView* header = window.lvCleaned->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
}

void selectRows(TfrmMain& window, const QList<int>& rows) {
    window.lvCleaned->clearSelection();
    for (const int row : rows) {
        window.lvCleaned->selectionModel()->select(window.lvCleaned->model()->index(row, 0),
                                                   QItemSelectionModel::Select |
                                                       QItemSelectionModel::Rows);
    }
}

int rowNamed(TfrmMain& window, const QString& name) {
    return static_cast<int>(shownNames(window).indexOf(name));
}

bool isSorted(const QStringList& texts, int direction) {
    for (qsizetype i = 1; i < texts.size(); ++i) {
        if (compareIgnoringAsciiCase(texts[i - 1], texts[i]) * direction > 0) {
            return false;
        }
    }
    return true;
}

bool haveTrashCli() {
    return !QStandardPaths::findExecutable(u"trash-list"_s).isEmpty();
}

// What trash-cli lists: one line per trashed item, "date time path".
QStringList trashList() {
    QProcess process;
    process.start(u"trash-list"_s, {});
    process.waitForFinished(30000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class BrowserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controls_asDesigned();
    void emptyLog_onlyAllAndNoRowButtons();
    void oneDay120Records_fiftyNewestThenAllThenFiftyAgain();
    void exactlyFiftyMatches_linkOnlyWithOlderRecords_data();
    void exactlyFiftyMatches_linkOnlyWithOlderRecords();
    void masks_data();
    void masks();
    void maskError_isShownAndTheListWorksAgain();
    void twoRunsOfOneDay_oneNode_latestSelected();
    void sortClicks();
    void sortRows_asTheNameComparisonOrders_data();
    void sortRows_asTheNameComparisonOrders();
    void typeAndIcon_byTheItemOrByItsName();
    void rowButtons_followTheSelection();
    void openFolder_opensItOrNamesAMissingOne();
    void restore_archivedMovedRecycledAndDeleted();
    void columnWidths_followTheList();
};

void BrowserTest::controls_asDesigned() {
    WindowFixture f;
    TfrmMain& window = openBrowser(f);
    // The first visit begins with a search: typing goes to the mask box.
    QCOMPARE(window.focusWidget(), window.txtMask);
    QCOMPARE(window.txtMask->text(), u"*.*"_s);
    QCOMPARE(window.cmdSearch->text(), u"Search"_s);
    QCOMPARE(window.cmdSearch->toolTip(), u"Search file"_s);
    QCOMPARE(window.cmdOpenFolder->text(), u"&Open Destination Folder"_s);
    QCOMPARE(window.cmdOpenFolder->toolTip(),
             u"Opens destination folder in a new file manager window"_s);
    QCOMPARE(window.cmdRestore->text(), u"&Restore to Desktop"_s);
    QCOMPARE(window.cmdRestore->toolTip(), u"Move back to desktop"_s);
    QCOMPARE(window.cmdShowMore->text(), u"Showing first 50 items, click here to show all"_s);
    QVERIFY(window.cmdShowMore->font().bold());
    QCOMPARE(window.cmdShowMore->palette().color(QPalette::ButtonText), QColor(Qt::red));
    QCOMPARE(window.grpCleaningDate->title(), u"Cleaning date"_s);
    QCOMPARE(window.grpCleanedItems->title(), u"Cleaned items"_s);
    QCOMPARE(window.grpCleaningDate->width(), 150);
    const QAbstractItemModel* model = window.lvCleaned->model();
    QStringList headers;
    for (int column = 0; column < model->columnCount(); ++column) {
        headers << model->headerData(column, Qt::Horizontal).toString();
    }
    QCOMPARE(headers, (QStringList{u"Name"_s, u"Type"_s, u"Action"_s, u"Cleaning date"_s}));
    QCOMPARE(window.lvCleaned->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(window.lvCleaned->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(window.lvCleaned->editTriggers(), QAbstractItemView::NoEditTriggers);
}

void BrowserTest::emptyLog_onlyAllAndNoRowButtons() {
    WindowFixture f;
    TfrmMain& window = openBrowser(f);
    QVERIFY(window.browseTreeBuilt);
    QCOMPARE(treeTexts(window.tree), QStringList{u"All"_s});
    QCOMPARE(window.tree->currentItem(), window.tree->topLevelItem(0));
    QVERIFY(window.tree->topLevelItem(0)->isSelected());
    QVERIFY(window.cleaningDates.isEmpty());
    QCOMPARE(window.lvCleaned->model()->rowCount(), 0);
    QVERIFY(!window.cmdOpenFolder->isEnabled());
    QVERIFY(!window.cmdRestore->isEnabled());
    QVERIFY(!window.cmdShowMore->isVisible());
}

void BrowserTest::oneDay120Records_fiftyNewestThenAllThenFiftyAgain() {
    WindowFixture f;
    QList<Record> records;
    QStringList all;
    for (int i = 0; i < 120; ++i) {
        const QString name = u"item %1.txt"_s.arg(i, 3, 10, QLatin1Char('0'));
        records.append({name, actions::Archive, f.root() + u"/Archive"_s, march7.addSecs(i)});
        all << name;
    }
    writeLog(f, records);
    TfrmMain& window = openBrowser(f);
    QCOMPARE(treeTexts(window.tree), (QStringList{u"All"_s, shortDateText(march7.date())}));

    // The 50 newest by log position, in name order, and the red link.
    QCOMPARE(shownNames(window), all.mid(70));
    QVERIFY(window.cmdShowMore->isVisible());
    QTest::mouseClick(window.cmdShowMore, Qt::LeftButton);
    QCOMPARE(shownNames(window), all);
    QVERIFY(!window.cmdShowMore->isVisible());

    // "show all" lasts one refill: another node caps again, and so does the day's own node.
    clickNode(window, window.tree->topLevelItem(0));
    QCOMPARE(shownNames(window), all.mid(70));
    QVERIFY(window.cmdShowMore->isVisible());
    QTest::mouseClick(window.cmdShowMore, Qt::LeftButton);
    QCOMPARE(shownNames(window).size(), 120);
    clickNode(window, dayNode(window, march7.date()));
    QCOMPARE(shownNames(window), all.mid(70));
    QVERIFY(window.cmdShowMore->isVisible());
    QVERIFY(!window.browserBusy);
}

void BrowserTest::exactlyFiftyMatches_linkOnlyWithOlderRecords_data() {
    QTest::addColumn<bool>("olderRecords");
    QTest::newRow("older records that do not match") << true;
    QTest::newRow("no older records") << false;
}

// The limit is met before the next record is looked at: the link says there is more even
// when none of the older records would match.
void BrowserTest::exactlyFiftyMatches_linkOnlyWithOlderRecords() {
    QFETCH(bool, olderRecords);
    WindowFixture f;
    QList<Record> records;
    if (olderRecords) {
        for (int i = 0; i < 5; ++i) {
            records.append({u"other %1.pdf"_s.arg(i), actions::Delete, {}, march7});
        }
    }
    for (int i = 0; i < 50; ++i) {
        records.append({u"report %1.txt"_s.arg(i), actions::Delete, {}, march7.addSecs(60)});
    }
    writeLog(f, records);
    TfrmMain& window = openBrowser(f);
    search(window, u"report"_s);
    QCOMPARE(shownNames(window).size(), 50);
    QCOMPARE(window.cmdShowMore->isVisible(), olderRecords);
}

void BrowserTest::masks_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("*.*: every record, names without a dot too")
        << u"*.*"_s
        << QStringList{u"notes.TXT"_s, u"Photos"_s, u"README"_s, u"Report.pdf"_s, u"report.txt"_s};
    QTest::newRow("empty: every record")
        << QString()
        << QStringList{u"notes.TXT"_s, u"Photos"_s, u"README"_s, u"Report.pdf"_s, u"report.txt"_s};
    QTest::newRow("a word without a star: every name holding it, in any case")
        << u"EPO"_s << QStringList{u"Report.pdf"_s, u"report.txt"_s};
    QTest::newRow("a question mark without a star is enclosed in stars too")
        << u"r?port"_s << QStringList{u"Report.pdf"_s, u"report.txt"_s};
    QTest::newRow("a mask with a star as the rules read it")
        << u"*.txt"_s << QStringList{u"notes.TXT"_s, u"report.txt"_s};
    QTest::newRow("nothing matches") << u"*.iso"_s << QStringList{};
}

// Typed into the box and searched with Enter; a search covers every day, whatever node was
// selected.
void BrowserTest::masks() {
    QFETCH(QString, mask);
    QFETCH(QStringList, names);
    WindowFixture f;
    writeLog(f, {{u"report.txt"_s, actions::Recycle, {}, march7},
                 {u"Photos"_s, actions::Archive, u"/srv/a"_s, march7},
                 {u"README"_s, actions::Delete, {}, march7},
                 {u"Report.pdf"_s, actions::Delete, {}, march8, 2},
                 {u"notes.TXT"_s, actions::Delete, {}, march8, 2}});
    TfrmMain& window = openBrowser(f);
    QCOMPARE(window.tree->currentItem(), dayNode(window, march8.date()));
    search(window, mask);
    QCOMPARE(window.tree->currentItem(), window.tree->topLevelItem(0));
    QCOMPARE(shownNames(window), names);
    QVERIFY(f.prompts.everything().isEmpty());
}

void BrowserTest::maskError_isShownAndTheListWorksAgain() {
    WindowFixture f;
    writeLog(f, {{u"report.txt"_s, actions::Delete, {}, march7}});
    TfrmMain& window = openBrowser(f);
    search(window, u"[ab"_s);
    QCOMPARE(f.prompts.messages, QStringList{u"'[ab' is an invalid mask at (4)"_s});
    QCOMPARE(window.lvCleaned->model()->rowCount(), 0);
    QVERIFY(window.lvCleaned->isVisible());
    QVERIFY(!window.browserBusy);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QVERIFY(!window.cmdRestore->isEnabled());
    QVERIFY(!window.cmdShowMore->isVisible());

    search(window, u"rep"_s);
    QCOMPARE(shownNames(window), QStringList{u"report.txt"_s});
    QCOMPARE(f.prompts.messages.size(), 1);
}

void BrowserTest::twoRunsOfOneDay_oneNode_latestSelected() {
    WindowFixture f;
    writeLog(f, {{u"first.txt"_s, actions::Delete, {}, march7, 1},
                 {u"second.txt"_s, actions::Delete, {}, march7.addSecs(5 * 3600), 2},
                 {u"third.txt"_s, actions::Delete, {}, march8, 3}});
    TfrmMain& window = openBrowser(f);
    const QStringList days{shortDateText(march8.date()), shortDateText(march7.date())};
    QCOMPARE(window.cleaningDates, days);
    QCOMPARE(treeTexts(window.tree), QStringList{u"All"_s} + days);
    QVERIFY(window.tree->topLevelItem(0)->isExpanded());
    QCOMPARE(window.tree->currentItem(), dayNode(window, march8.date()));
    QCOMPARE(shownNames(window), QStringList{u"third.txt"_s});
    QCOMPARE(columnTexts(window, Column::CleaningDate), QStringList{days.first()});
    QCOMPARE(columnTexts(window, Column::Action), QStringList{u"Delete"_s});

    // A right click selects a node too.
    QTreeWidgetItem* earlier = dayNode(window, march7.date());
    QTest::mouseClick(window.tree->viewport(), Qt::RightButton, {},
                      window.tree->visualItemRect(earlier).center());
    QCOMPARE(window.tree->currentItem(), earlier);
    QCOMPARE(shownNames(window), (QStringList{u"first.txt"_s, u"second.txt"_s}));
    clickNode(window, window.tree->topLevelItem(0));
    QCOMPARE(shownNames(window), (QStringList{u"first.txt"_s, u"second.txt"_s, u"third.txt"_s}));
}

void BrowserTest::sortClicks() {
    WindowFixture f;
    const QString folder = f.root() + u"/Archive"_s;
    writeLog(f, {{u"b.txt"_s, actions::MoveToFolder, folder, march7},
                 {u"a.pdf"_s, actions::Archive, folder, march7.addDays(-2)},
                 {u"D.png"_s, actions::Delete, {}, march7.addDays(-1)},
                 {u"c.txt"_s, actions::Recycle, {}, march7}});
    TfrmMain& window = openBrowser(f);
    clickNode(window, window.tree->topLevelItem(0));
    const QStringList byName{u"a.pdf"_s, u"b.txt"_s, u"c.txt"_s, u"D.png"_s};
    QCOMPARE(shownNames(window), byName);
    QCOMPARE(window.cleanedSortColumn, 0);
    QCOMPARE(window.cleanedSortDirection, 1);

    clickHeader(window, Column::Name);
    QCOMPARE(shownNames(window), QStringList(byName.rbegin(), byName.rend()));
    QCOMPARE(window.lvCleaned->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    clickHeader(window, Column::Name);
    QCOMPARE(shownNames(window), byName);
    clickHeader(window, Column::Name);

    // Another column keeps the direction: by type, descending.
    clickHeader(window, Column::Type);
    QCOMPARE(window.cleanedSortColumn, int(Column::Type));
    QCOMPARE(window.cleanedSortDirection, -1);
    const QStringList types = columnTexts(window, Column::Type);
    QVERIFY2(isSorted(types, -1), qPrintable(types.join(u" | "_s)));
    QVERIFY(QSet<QString>(types.begin(), types.end()).size() >= 3);
    // Rows of one type keep the order they had: descending by name.
    QCOMPARE(shownNames(window).indexOf(u"c.txt"_s) + 1, shownNames(window).indexOf(u"b.txt"_s));
    QVERIFY(window.lvCleanedCompare(0, 1) <= 0);

    clickHeader(window, Column::Action);
    QCOMPARE(
        columnTexts(window, Column::Action),
        (QStringList{u"Move to Recycle Bin"_s, u"Move to Folder"_s, u"Delete"_s, u"Archive"_s}));
    clickHeader(window, Column::Action);
    // The date is compared as its text.
    clickHeader(window, Column::CleaningDate);
    QVERIFY(isSorted(columnTexts(window, Column::CleaningDate), 1));

    // A refill orders by name, ascending, again.
    search(window, u"*.*"_s);
    QCOMPARE(shownNames(window), byName);
    QCOMPARE(window.lvCleaned->header()->sortIndicatorSection(), 0);
    QCOMPARE(window.lvCleaned->header()->sortIndicatorOrder(), Qt::AscendingOrder);
}

void BrowserTest::sortRows_asTheNameComparisonOrders_data() {
    QTest::addColumn<QStringList>("names");
    QTest::newRow("a shared beginning")
        << QStringList{u"IMG_0010.jpg"_s, u"IMG_0002.jpg"_s, u"img_0010.JPG"_s,  u"IMG_0002.jpg"_s,
                       u"IMG_"_s,         u"IMG_00"_s,       u"IMG_0001.jpeg"_s, u"IMG_9.jpg"_s};
    QTest::newRow("case, accents and signs")
        << QStringList{u"b"_s,    u"B"_s, u"a"_s, u"\u00e4"_s, u"_x"_s,  u"Zeta"_s,
                       u"zeta"_s, u"["_s, u"`"_s, u"~"_s,      u"A b"_s, u"Ab"_s};
    QTest::newRow("one begins the others") << QStringList{
        u"report final.pdf"_s, u"report"_s, u"report (2)"_s, u"report"_s, u"report final"_s};
    QTest::newRow("beyond the first characters")
        << QStringList{u"abcdefgh2"_s, u"abcdefgh10"_s,       u"abcdefgh1"_s, u"ABCDEFGH1"_s,
                       u"abcdeFGH3"_s, u"\U0001F600 smile"_s, u"\uFFFF"_s,    u"\uFFFE"_s};
    QTest::newRow("one row") << QStringList{u"only"_s};
}

// The list's own sort gives the order of the comparison every name list uses, both ways;
// equal names keep their order.
void BrowserTest::sortRows_asTheNameComparisonOrders() {
    QFETCH(QStringList, names);
    FixedLocations locations;
    FixedClock clock;
    global state(locations, clock);
    std::vector<int> records;
    for (const QString& name : std::as_const(names)) {
        logLine& line = state.newLogLine();
        line.itemName = name;
        records.push_back(static_cast<int>(records.size()));
    }
    ShellInfo shell;
    CleanedItemsModel model(shell);
    for (const int direction : {1, -1}) {
        model.setRecords(&state, records);
        model.sortRows(Column::Name, direction);
        std::vector<int> expected = records;
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
            return compareIgnoringAsciiCase(names[a], names[b]) * direction < 0;
        });
        std::vector<int> sorted;
        for (int row = 0; row < model.rowCount(); ++row) {
            sorted.push_back(model.logIndex(row));
        }
        QCOMPARE(sorted, expected);
    }
}

// The type by the item where it was cleaned to; by its name when it is gone, or was trashed or
// deleted, and then never by a file that happens to lie where the program runs.
void BrowserTest::typeAndIcon_byTheItemOrByItsName() {
    WindowFixture f;
    const QString archive = f.root() + u"/Archive"_s;
    QVERIFY(QDir().mkpath(archive + u"/Photos"_s));
    QVERIFY(QDir().mkpath(f.root() + u"/Gone"_s));
    QVERIFY(QDir::setCurrent(f.root() + u"/Gone"_s));
    QVERIFY(QDir().mkpath(f.root() + u"/Gone/Trashed"_s));
    writeLog(f, {{u"Photos"_s, actions::Archive, archive, march7},
                 {u"Letters"_s, actions::MoveToFolder, archive, march7},
                 {u"Trashed"_s, actions::Recycle, {}, march7}});
    TfrmMain& window = openBrowser(f);
    ShellInfo shell;
    const QString folderType = shell.typeAndIcon(u"Photos"_s, true).typeName;
    const QString byName = shell.typeAndIcon(u"Photos"_s, false).typeName;
    QVERIFY(folderType != byName);
    QCOMPARE(columnTexts(window, Column::Type), (QStringList{byName, folderType, byName}));
    for (int row = 0; row < 3; ++row) {
        const QVariant icon =
            window.lvCleaned->model()->index(row, Column::Name).data(Qt::DecorationRole);
        QVERIFY(!icon.value<QIcon>().isNull());
    }
    QVERIFY(QDir::setCurrent(QDir::homePath()));
}

void BrowserTest::rowButtons_followTheSelection() {
    WindowFixture f;
    const QString archive = f.root() + u"/Archive"_s;
    writeLog(f, {{u"archived.txt"_s, actions::Archive, archive, march7},
                 {u"recycled.txt"_s, actions::Recycle, {}, march7}});
    TfrmMain& window = openBrowser(f);
    // After a refill the first row is selected and current.
    QCOMPARE(window.lvCleaned->selectedRowsInOrder(), QList<int>{0});
    QCOMPARE(window.lvCleaned->currentIndex().row(), 0);
    QVERIFY(window.cmdOpenFolder->isEnabled());
    QVERIFY(window.cmdRestore->isEnabled());

    const int recycled = rowNamed(window, u"recycled.txt"_s);
    const int archived = rowNamed(window, u"archived.txt"_s);
    const QRect place = window.lvCleaned->visualRect(window.lvCleaned->model()->index(recycled, 0));
    QTest::mouseClick(window.lvCleaned->viewport(), Qt::LeftButton, {}, place.center());
    QCOMPARE(window.lvCleaned->selectedRowsInOrder(), QList<int>{recycled});
    QVERIFY(!window.cmdOpenFolder->isEnabled());
    QVERIFY(window.cmdRestore->isEnabled());

    selectRows(window, {archived, recycled});
    QVERIFY(!window.cmdOpenFolder->isEnabled());
    QVERIFY(window.cmdRestore->isEnabled());
    selectRows(window, {archived});
    QVERIFY(window.cmdOpenFolder->isEnabled());
    selectRows(window, {});
    QVERIFY(!window.cmdOpenFolder->isEnabled());
    QVERIFY(!window.cmdRestore->isEnabled());
}

void BrowserTest::openFolder_opensItOrNamesAMissingOne() {
    WindowFixture f;
    const QString archive = f.root() + u"/Archive/11-03-07"_s;
    QVERIFY(QDir().mkpath(archive));
    writeLog(f, {{u"archived.txt"_s, actions::Archive, archive, march7}});
    TfrmMain& window = openBrowser(f);
    f.opener.opened.clear();
    QTest::mouseClick(window.cmdOpenFolder, Qt::LeftButton);
    QCOMPARE(f.opener.opened, QList<QUrl>{QUrl::fromLocalFile(archive)});
    QVERIFY(f.prompts.everything().isEmpty());

    f.opener.works = false;
    QTest::mouseClick(window.cmdOpenFolder, Qt::LeftButton);
    QCOMPARE(f.prompts.messages,
             QStringList{u"No file manager could open the folder \"%1\"."_s.arg(archive)});
    f.prompts.messages.clear();

    QVERIFY(QDir(archive).removeRecursively());
    QTest::mouseClick(window.cmdOpenFolder, Qt::LeftButton);
    QCOMPARE(f.opener.opened.size(), 2);
    QCOMPARE(f.prompts.messages,
             QStringList{u"The folder \"%1\" no longer exists."_s.arg(archive)});
}

// A selection of every kind: the archived and moved items are copied back, the recycled one
// comes back out of the real trash, the deleted one is passed over without a word.
void BrowserTest::restore_archivedMovedRecycledAndDeleted() {
    WindowFixture f;
    // The trash dates its entries by the system's clock; so must the records.
    const QDateTime now = QDateTime::currentDateTime();
    f.clock.set(now);
    const QString archive = f.root() + u"/Archive/day"_s;
    const QString target = f.root() + u"/Target"_s;
    QVERIFY(QDir().mkpath(archive));
    QVERIFY(QDir().mkpath(target + u"/moved"_s));
    WindowFixture::write(archive + u"/archived.txt"_s, "archived");
    WindowFixture::write(target + u"/moved/inside.txt"_s, "inside");
    f.put(u"recycled.txt"_s);
    const QByteArray trashedPath = QFile::encodeName(f.desktop(u"recycled.txt"_s));
    QString reason;
    QVERIFY2(moveToTrash(trashedPath, reason), qPrintable(reason));
    QCOMPARE(trashEntriesOf(trashedPath).size(), std::size_t(1));
    if (haveTrashCli()) {
        QCOMPARE(trashList().filter(f.desktop(u"recycled.txt"_s)).size(), 1);
    }
    writeLog(f, {{u"archived.txt"_s, actions::Archive, archive, now},
                 {u"moved"_s, actions::MoveToFolder, target, now},
                 {u"recycled.txt"_s, actions::Recycle, {}, now},
                 {u"deleted.txt"_s, actions::Delete, {}, now}});
    TfrmMain& window = openBrowser(f);
    QCOMPARE(shownNames(window).size(), 4);

    window.lvCleaned->selectAll();
    QVERIFY(window.cmdRestore->isEnabled());
    QTest::mouseClick(window.cmdRestore, Qt::LeftButton);
    QVERIFY2(f.prompts.everything().isEmpty(), qPrintable(f.prompts.everything().join(u'\n')));
    QCOMPARE(WindowFixture::entries(f.desktop()),
             (QStringList{u"archived.txt"_s, u"moved"_s, u"recycled.txt"_s}));
    QFile inside(f.desktop(u"moved/inside.txt"_s));
    QVERIFY(inside.open(QIODevice::ReadOnly));
    QCOMPARE(inside.readAll(), QByteArray("inside"));
    // Copies: the cleaned items stay where they went, and the log is unchanged.
    QVERIFY(QFile::exists(archive + u"/archived.txt"_s));
    QVERIFY(QFile::exists(target + u"/moved/inside.txt"_s));
    QCOMPARE(window.state().logLines.size(), std::size_t(4));
    // Out of the trash: its entry and its .trashinfo are gone, for trash-cli too.
    QVERIFY(trashEntriesOf(trashedPath).empty());
    if (haveTrashCli()) {
        QVERIFY(trashList().filter(f.desktop(u"recycled.txt"_s)).isEmpty());
    }
    QVERIFY(!window.frmProgress->isVisible());
    QVERIFY(window.mainPageControl->isEnabled());
    // A restore does not refill the browser.
    QCOMPARE(window.lvCleaned->selectedRowsInOrder().size(), 4);
}

void BrowserTest::columnWidths_followTheList() {
    WindowFixture f;
    TfrmMain& window = openBrowser(f);
    window.resize(1200, 600);
    QApplication::processEvents();
    const int width = window.lvCleaned->viewport()->width();
    const QHeaderView* header = window.lvCleaned->header();
    QCOMPARE(header->sectionSize(0), width * 50 / 100);
    QCOMPARE(header->sectionSize(1), width * 30 / 100);
    QCOMPARE(header->sectionSize(2), width * 10 / 100);
    QCOMPARE(header->sectionSize(3), width * 10 / 100);
}

QTEST_MAIN(BrowserTest)
#include "test_browser.moc"
