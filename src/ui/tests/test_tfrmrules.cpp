#include "engine/rule.h"
#include "modal.h"
#include "scanner/taskmanager.h"
#include "ui/tfrmruleeditor.h"
#include "ui/tfrmrules.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace moravel;
using namespace moravel::testing;
using namespace Qt::Literals::StringLiterals;

namespace {

void addRule(global& state, ActionKind action, const QString& mask, const QString& folder = {}) {
    rule& added = state.newRule();
    added.action = action;
    added.folder = folder;
    added.addCondition().mask = mask;
}

// Three rules, a narrow one first: delete *.tmp, move *.odt, archive everything.
void threeRules(WindowFixture& f) {
    const QString letters = f.root() + u"/Letters"_s;
    QVERIFY(QDir().mkpath(letters));
    f.configure([&letters](global& state) {
        state.rules.clear();
        addRule(state, actions::Delete, u"*.tmp"_s);
        addRule(state, actions::MoveToFolder, u"*.odt"_s, letters);
        state.newRule().action = actions::Archive;
    });
}

// The masks of the rules in priority order ("-" for a rule without a name condition).
QStringList masks(const global& state) {
    QStringList result;
    for (const auto& each : state.rules) {
        result << (each->conditions.empty() ? u"-"_s : each->conditions.front()->mask);
    }
    return result;
}

QStringList rowTexts(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        texts << list->topLevelItem(row)->text(column);
    }
    return texts;
}

int selectedRow(const TfrmRules& window) {
    const QList<QTreeWidgetItem*> selected = window.lsvRules->selectedItems();
    return selected.size() == 1 ? window.lsvRules->indexOfTopLevelItem(selected.first()) : -1;
}

void selectRow(TfrmRules& window, int row) {
    QTreeWidgetItem* item = window.lsvRules->topLevelItem(row);
    QVERIFY(item != nullptr);
    QTest::mouseClick(window.lsvRules->viewport(), Qt::LeftButton, {},
                      window.lsvRules->visualItemRect(item).center());
    QCOMPARE(selectedRow(window), row);
}

// Runs `work` on the rule list that `editRules` opens, then closes the list with Esc.
void withRuleList(TfrmMain& window, const std::function<void(TfrmRules&)>& work) {
    bool ran = false;
    auto outcome = answerModal([&](QWidget& dialog) {
        auto* list = qobject_cast<TfrmRules*>(&dialog);
        QVERIFY(list != nullptr);
        work(*list);
        ran = true;
        QTest::keyClick(list, Qt::Key_Escape);
    });
    window.editRules();
    QVERIFY(outcome->seen);
    QVERIFY(ran);
    QVERIFY2(!outcome->leftOpen, "Esc did not close the rule list");
}

// Answers the rule editor that the next command opens with `answer`.
std::shared_ptr<ModalOutcome> answerEditor(const std::function<void(TfrmRuleEditor&)>& answer) {
    return answerModal([answer](QWidget& dialog) {
        auto* editor = qobject_cast<TfrmRuleEditor*>(&dialog);
        QVERIFY(editor != nullptr);
        answer(*editor);
    });
}

// The rules as a fresh start reads them from the configuration file.
QStringList savedMasks(WindowFixture& f) {
    global state(f.locations, f.clock);
    errorControl error;
    if (state.loadConfiguration(error, f.prompts) != 0) {
        return {u"unreadable: "_s + error.message};
    }
    return masks(state);
}

ActionKind plannedAction(TfrmMain& window, const QString& name) {
    for (const auto& item : window.plan().tasks) {
        if (item->name == name) {
            return item->action;
        }
    }
    return actions::NotChosen;
}

} // namespace

class TfrmRulesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void open_listsTheRulesInPriorityOrder();
    void new_okPutsTheRuleFirst_cancelDropsIt();
    void edit_okReplacesTheRule_cancelKeepsIt();
    void doubleClick_editsTheRule();
    void remove_asksFirst();
    void removeTheLastRule_leavesAnEmptyListAndPlansLeave();
    void move_data();
    void move();
    void noSelection_commandsDoNothing();
    void close_savesAndReplans_data();
    void close_savesAndReplans();
    void failedSave_isShownAndNothingReplanned();
    void everyControl_hasAnAccessibleName();
};

void TfrmRulesTest::open_listsTheRulesInPriorityOrder() {
    WindowFixture f;
    threeRules(f);
    TfrmMain& window = f.startShown();
    withRuleList(window, [&](TfrmRules& list) {
        QCOMPARE(list.windowTitle(), u"Rule List"_s);
        QCOMPARE(list.frame->title(), u"Rule List"_s);
        QCOMPARE(list.spSkinTextLabel1->text(), u"High\nPriority\nRules"_s);
        QCOMPARE(list.spSkinTextLabel2->text(), u"Low\nPriority\nRules"_s);
        QCOMPARE(list.cmdRulesNew->text(), u"&New"_s);
        QCOMPARE(list.cmdRulesEdit->text(), u"&Edit"_s);
        QCOMPARE(list.cmdRulesRemove->text(), u"&Remove"_s);
        QCOMPARE(list.cmdRulesUp->text(), u"Move &Up"_s);
        QCOMPARE(list.cmdRulesDown->text(), u"Move &Down"_s);
        const QTreeWidgetItem* header = list.lsvRules->headerItem();
        QCOMPARE(header->text(0), u"Condition"_s);
        QCOMPARE(header->text(1), u"Action"_s);
        QCOMPARE(header->text(2), u"Folder"_s);
        QCOMPARE(list.lsvRules->header()->sectionSize(0), 300);
        QCOMPARE(list.lsvRules->header()->sectionSize(1), 200);
        QCOMPARE(list.lsvRules->header()->sectionSize(2), 500);
        const auto& rules = window.state().rules;
        QCOMPARE(rowTexts(list.lsvRules, 0),
                 (QStringList{rules[0]->describe(), rules[1]->describe(), u"All items"_s}));
        QCOMPARE(rowTexts(list.lsvRules, 1),
                 (QStringList{u"Delete"_s, u"Move to Folder"_s, u"Archive"_s}));
        QCOMPARE(rowTexts(list.lsvRules, 2), (QStringList{{}, f.root() + u"/Letters"_s, {}}));
        QVERIFY(rowTexts(list.lsvRules, 0).first().contains(u"*.tmp"_s));
        QCOMPARE(selectedRow(list), 0);
        QCOMPARE(list.lsvRules->currentItem(), list.lsvRules->topLevelItem(0));
        QCOMPARE(list.focusWidget(), list.lsvRules);
        QCOMPARE(list.lsvRules->selectionMode(), QAbstractItemView::SingleSelection);
    });
}

void TfrmRulesTest::new_okPutsTheRuleFirst_cancelDropsIt() {
    WindowFixture f;
    threeRules(f);
    f.put(u"disk.iso"_s);
    TfrmMain& window = f.startShown();
    QCOMPARE(plannedAction(window, u"disk.iso"_s), actions::Archive);
    withRuleList(window, [&](TfrmRules& list) {
        selectRow(list, 2);
        bool noActionShown = false;
        auto made = answerEditor([&](TfrmRuleEditor& editor) {
            noActionShown = editor.cmbAction->currentIndex() == -1;
            editor.txtMask->setText(u"*.iso"_s);
            editor.cmbAction->setCurrentIndex(actions::Delete);
            editor.cmdOK->click();
        });
        QTest::mouseClick(list.cmdRulesNew, Qt::LeftButton);
        QVERIFY(made->seen && !made->leftOpen);
        QVERIFY(noActionShown);
        QCOMPARE(masks(window.state()), (QStringList{u"*.iso"_s, u"*.tmp"_s, u"*.odt"_s, u"-"_s}));
        QCOMPARE(list.lsvRules->topLevelItemCount(), 4);
        QCOMPARE(list.lsvRules->topLevelItem(0)->text(1), u"Delete"_s);
        QCOMPARE(selectedRow(list), 0);

        auto dropped = answerEditor([](TfrmRuleEditor& editor) {
            editor.txtMask->setText(u"*.bak"_s);
            editor.cmbAction->setCurrentIndex(actions::Delete);
            editor.cmdCancel->click();
        });
        QTest::mouseClick(list.cmdRulesNew, Qt::LeftButton);
        QVERIFY(dropped->seen);
        QCOMPARE(window.state().rules.size(), std::size_t(4));
    });
    // The new rule is tried first by the next plan.
    QCOMPARE(plannedAction(window, u"disk.iso"_s), actions::Delete);
    QCOMPARE(savedMasks(f), (QStringList{u"*.iso"_s, u"*.tmp"_s, u"*.odt"_s, u"-"_s}));
}

void TfrmRulesTest::edit_okReplacesTheRule_cancelKeepsIt() {
    WindowFixture f;
    threeRules(f);
    TfrmMain& window = f.startShown();
    withRuleList(window, [&](TfrmRules& list) {
        selectRow(list, 1);
        const rule* before = window.state().rules[1].get();
        const QString rowBefore = list.lsvRules->topLevelItem(1)->text(0);
        // Cancel: the rule and its row stay exactly as they were.
        auto cancelled = answerEditor([](TfrmRuleEditor& editor) {
            editor.txtMask->setText(u"*.doc"_s);
            editor.cmdCancel->click();
        });
        QTest::mouseClick(list.cmdRulesEdit, Qt::LeftButton);
        QVERIFY(cancelled->seen);
        QCOMPARE(window.state().rules[1].get(), before);
        QCOMPARE(masks(window.state()), (QStringList{u"*.tmp"_s, u"*.odt"_s, u"-"_s}));
        QCOMPARE(list.lsvRules->topLevelItem(1)->text(0), rowBefore);

        QString shownMask;
        auto changed = answerEditor([&](TfrmRuleEditor& editor) {
            shownMask = editor.txtMask->text();
            editor.txtMask->setText(u"*.ods"_s);
            editor.cmbAction->setCurrentIndex(actions::Recycle);
            editor.cmdOK->click();
        });
        QTest::mouseClick(list.cmdRulesEdit, Qt::LeftButton);
        QVERIFY(changed->seen);
        QCOMPARE(shownMask, u"*.odt"_s);
        QCOMPARE(masks(window.state()), (QStringList{u"*.tmp"_s, u"*.ods"_s, u"-"_s}));
        QCOMPARE(window.state().rules[1]->action, actions::Recycle);
        QCOMPARE(window.state().rules[1]->folder, QString());
        QCOMPARE(list.lsvRules->topLevelItem(1)->text(1), u"Move to Recycle Bin"_s);
        QCOMPARE(selectedRow(list), 1);
    });
    QCOMPARE(savedMasks(f), (QStringList{u"*.tmp"_s, u"*.ods"_s, u"-"_s}));
}

void TfrmRulesTest::doubleClick_editsTheRule() {
    WindowFixture f;
    threeRules(f);
    TfrmMain& window = f.startShown();
    withRuleList(window, [&](TfrmRules& list) {
        QString shownMask;
        auto editor = answerEditor([&](TfrmRuleEditor& opened) {
            shownMask = opened.txtMask->text();
            opened.cmdCancel->click();
        });
        // A double click begins with a click, as the window system delivers it.
        const QPoint row = list.lsvRules->visualItemRect(list.lsvRules->topLevelItem(1)).center();
        QTest::mouseClick(list.lsvRules->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list.lsvRules->viewport(), Qt::LeftButton, {}, row);
        QVERIFY(editor->seen);
        QCOMPARE(shownMask, u"*.odt"_s);
    });
}

void TfrmRulesTest::remove_asksFirst() {
    WindowFixture f;
    threeRules(f);
    TfrmMain& window = f.startShown();
    withRuleList(window, [&](TfrmRules& list) {
        selectRow(list, 1);
        f.prompts.answers = {false};
        QTest::mouseClick(list.cmdRulesRemove, Qt::LeftButton);
        QCOMPARE(f.prompts.questions, QStringList{u"Do you want to delete this rule?"_s});
        QCOMPARE(masks(window.state()), (QStringList{u"*.tmp"_s, u"*.odt"_s, u"-"_s}));
        QCOMPARE(selectedRow(list), 1);

        f.prompts.answers = {true};
        QTest::mouseClick(list.cmdRulesRemove, Qt::LeftButton);
        QCOMPARE(f.prompts.questions.size(), 2);
        QCOMPARE(masks(window.state()), (QStringList{u"*.tmp"_s, u"-"_s}));
        QCOMPARE(rowTexts(list.lsvRules, 1), (QStringList{u"Delete"_s, u"Archive"_s}));
        QCOMPARE(selectedRow(list), 0);
    });
    QCOMPARE(savedMasks(f), (QStringList{u"*.tmp"_s, u"-"_s}));
}

void TfrmRulesTest::removeTheLastRule_leavesAnEmptyListAndPlansLeave() {
    WindowFixture f;
    f.configure([](global& state) {
        state.rules.clear();
        state.newRule().action = actions::Archive;
    });
    f.put(u"a.txt"_s);
    TfrmMain& window = f.startShown();
    QCOMPARE(plannedAction(window, u"a.txt"_s), actions::Archive);
    withRuleList(window, [&](TfrmRules& list) {
        QTest::mouseClick(list.cmdRulesRemove, Qt::LeftButton);
        QCOMPARE(list.lsvRules->topLevelItemCount(), 0);
        QCOMPARE(selectedRow(list), -1);
    });
    QVERIFY(window.state().rules.empty());
    QCOMPARE(plannedAction(window, u"a.txt"_s), actions::Leave);
    QFile saved(f.configPath());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(!saved.readAll().contains("<RULE"));
}

void TfrmRulesTest::move_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("second up") << 1 << true << QStringList{u"*.odt"_s, u"*.tmp"_s, u"-"_s} << 0;
    QTest::newRow("second down") << 1 << false << QStringList{u"*.tmp"_s, u"-"_s, u"*.odt"_s} << 2;
    QTest::newRow("first up: nothing")
        << 0 << true << QStringList{u"*.tmp"_s, u"*.odt"_s, u"-"_s} << 0;
    QTest::newRow("last down: nothing")
        << 2 << false << QStringList{u"*.tmp"_s, u"*.odt"_s, u"-"_s} << 2;
}

void TfrmRulesTest::move() {
    QFETCH(int, row);
    QFETCH(bool, up);
    QFETCH(QStringList, order);
    QFETCH(int, selectedAfter);
    WindowFixture f;
    threeRules(f);
    TfrmMain& window = f.startShown();
    withRuleList(window, [&](TfrmRules& list) {
        selectRow(list, row);
        QTest::mouseClick(up ? list.cmdRulesUp : list.cmdRulesDown, Qt::LeftButton);
        QCOMPARE(masks(window.state()), order);
        QCOMPARE(selectedRow(list), selectedAfter);
        QVERIFY(rowTexts(list.lsvRules, 0)[selectedAfter].contains(order[selectedAfter]) ||
                order[selectedAfter] == u"-"_s);
    });
    QCOMPARE(savedMasks(f), order);
}

void TfrmRulesTest::noSelection_commandsDoNothing() {
    WindowFixture f;
    threeRules(f);
    TfrmMain& window = f.startShown();
    withRuleList(window, [&](TfrmRules& list) {
        list.lsvRules->clearSelection();
        for (QPushButton* command :
             {list.cmdRulesEdit, list.cmdRulesRemove, list.cmdRulesUp, list.cmdRulesDown}) {
            QTest::mouseClick(command, Qt::LeftButton);
            QCOMPARE(QApplication::activeModalWidget(), &list);
        }
        list.lsvRulesDblClick();
        QCOMPARE(QApplication::activeModalWidget(), &list);
        QCOMPARE(masks(window.state()), (QStringList{u"*.tmp"_s, u"*.odt"_s, u"-"_s}));
        QVERIFY(f.prompts.questions.isEmpty());
    });
}

void TfrmRulesTest::close_savesAndReplans_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Esc on the list") << 0;
    QTest::newRow("the window's close command") << 1;
    QTest::newRow("Esc on a button") << 2;
}

// Opened and closed at once, however it was closed: the configuration is written and the
// desktop read again.
void TfrmRulesTest::close_savesAndReplans() {
    QFETCH(int, how);
    WindowFixture f;
    threeRules(f);
    TfrmMain& window = f.startShown();
    QVERIFY(QFile::remove(f.configPath()));
    f.put(u"new.tmp"_s);
    auto outcome = answerModal([how](QWidget& dialog) {
        auto& list = *qobject_cast<TfrmRules*>(&dialog);
        switch (how) {
        case 0:
            QTest::keyClick(list.lsvRules, Qt::Key_Escape);
            break;
        case 1:
            list.close();
            break;
        default:
            list.cmdRulesUp->setFocus();
            QTest::keyClick(list.cmdRulesUp, Qt::Key_Escape);
            break;
        }
    });
    window.editRules();
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(savedMasks(f), (QStringList{u"*.tmp"_s, u"*.odt"_s, u"-"_s}));
    QCOMPARE(plannedAction(window, u"new.tmp"_s), actions::Delete);
    QVERIFY(f.prompts.everything().isEmpty());
}

void TfrmRulesTest::failedSave_isShownAndNothingReplanned() {
    WindowFixture f;
    threeRules(f);
    TfrmMain& window = f.startShown();
    // A folder where the file must go: it cannot be replaced, by root neither.
    QVERIFY(QFile::remove(f.configPath()));
    QVERIFY(QDir().mkpath(f.configPath() + u"/in the way"_s));
    f.put(u"new.tmp"_s);
    withRuleList(window, [&](TfrmRules& list) {
        selectRow(list, 2);
        QTest::mouseClick(list.cmdRulesUp, Qt::LeftButton);
    });
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY2(f.prompts.messages.first().startsWith(u"Error while writing configuration file. "_s),
             qPrintable(f.prompts.messages.first()));
    QVERIFY(f.prompts.messages.first().size() >
            u"Error while writing configuration file. "_s.size());
    // The change stays in memory; the desktop was not read again.
    QCOMPARE(masks(window.state()), (QStringList{u"*.tmp"_s, u"-"_s, u"*.odt"_s}));
    QCOMPARE(plannedAction(window, u"new.tmp"_s), actions::NotChosen);
}

void TfrmRulesTest::everyControl_hasAnAccessibleName() {
    WindowFixture f;
    threeRules(f);
    TfrmMain& window = f.startShown();
    withRuleList(window, [&](TfrmRules& list) {
        QStringList unnamed;
        for (QWidget* control : list.findChildren<QWidget*>()) {
            const bool isControl = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                   qobject_cast<QAbstractItemView*>(control) != nullptr;
            if (!isControl || control->focusPolicy() == Qt::NoFocus) {
                continue;
            }
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            if (accessible == nullptr || accessible->text(QAccessible::Name).isEmpty()) {
                unnamed << control->objectName();
            }
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", "_s)));
        QCOMPARE(list.cmdRulesUp->accessibleName(), u"Move Up"_s);
    });
}

QTEST_MAIN(TfrmRulesTest)
#include "test_tfrmrules.moc"
