#include "engine/rule.h"
#include "modal.h"
#include "scriptedprompts.h"
#include "ui/tfrmmaskhelp.h"
#include "ui/tfrmruleeditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace moravel;
using namespace moravel::testing;
using namespace Qt::Literals::StringLiterals;

namespace {

ruleCondition& add(rule& target, ConditionKind type, const QString& mask = {}, int size = 0,
                   int time = 0) {
    ruleCondition& condition = target.addCondition();
    condition.type = type;
    condition.mask = mask;
    condition.size = size;
    condition.time = time;
    return condition;
}

// The rule's contents as one text, so that "unchanged" compares everything at once.
QString describe(const rule& r) {
    QStringList parts{QString::number(r.action), r.folder};
    for (const auto& condition : r.conditions) {
        parts << u"%1:%2:%3:%4"_s.arg(condition->type)
                     .arg(condition->mask)
                     .arg(condition->size)
                     .arg(condition->time);
    }
    return parts.join(u'|');
}

// Shows the editor on `target` and lets `answer` work in it while it is open.
bool editWith(TfrmRuleEditor& editor, rule& target,
              const std::function<void(TfrmRuleEditor&)>& answer) {
    auto outcome = answerModal([&](QWidget&) { answer(editor); });
    const bool confirmed = editor.edit(target);
    if (!outcome->seen || outcome->leftOpen) {
        qWarning("the editor was %s", outcome->seen ? "left open" : "never shown");
    }
    return confirmed;
}

} // namespace

class TfrmRuleEditorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void window_captionsAndNoCloseButton();
    void newRule_nothingSelectedAndOkAsksForAnAction();
    void formShow_fillsFromTheRule();
    void formShow_offersTheSixActionsEachTime();
    void folderRow_showsOnlyForMoveToFolder();
    void typing_ticksAndUnticksTheRow();
    void validate_data();
    void validate();
    void ok_storesConditionsInTheFixedOrder();
    void ok_keepsTheHiddenIsFolderCondition();
    void ok_storesAnEmptyMaskWhenTicked();
    void leaving_keepsTheRuleAsItWas_data();
    void leaving_keepsTheRuleAsItWas();
    void selectFolder_startsOnTheFolderBoxOrHome();
    void helpLink_showsTheMaskHelp();
    void maskHelp_textsAndWaysToClose_data();
    void maskHelp_textsAndWaysToClose();
};

void TfrmRuleEditorTest::window_captionsAndNoCloseButton() {
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    QCOMPARE(editor.windowTitle(), u"Rule Editor"_s);
    QCOMPARE(editor.size(), QSize(667, 341));
    QVERIFY(editor.isModal());
    const Qt::WindowFlags flags = editor.windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QCOMPARE(editor.GroupBox1->title(), u"Conditions"_s);
    QCOMPARE(editor.GroupBox2->title(), u"Action to take"_s);
    QCOMPARE(editor.chkNameLike->text(), u"Name like"_s);
    QCOMPARE(editor.spSkinButtonLabel1->text(), u"Help using file masks"_s);
    QCOMPARE(editor.chkSizeBigger->text(), u"Size bigger than"_s);
    QCOMPARE(editor.Label3->text(), u"MB"_s);
    QCOMPARE(editor.chkLastModified->text(), u"Modified more than "_s);
    QCOMPARE(editor.Label1->text(), u"days ago"_s);
    QCOMPARE(editor.chkLastAccessed->text(), u"Accessed more than "_s);
    QCOMPARE(editor.Label2->text(), u"days ago"_s);
    QCOMPARE(editor.chkIsFolder->text(), u"Is Folder"_s);
    QCOMPARE(editor.cmdSelectFolder->text(), u"Select"_s);
    QCOMPARE(editor.cmdOK->text(), u"OK"_s);
    QVERIFY(editor.cmdOK->isDefault());
    QCOMPARE(editor.cmdCancel->text(), u"Cancel"_s);
    QVERIFY(!editor.cmbAction->isEditable());
}

void TfrmRuleEditorTest::newRule_nothingSelectedAndOkAsksForAnAction() {
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    rule fresh;
    add(fresh, conditions::NameMask, u"*.pdf"_s);
    int selected = 0;
    bool folderShown = true;
    bool stayedOpen = false;
    const bool confirmed = editWith(editor, fresh, [&](TfrmRuleEditor& window) {
        selected = window.cmbAction->currentIndex();
        folderShown = window.txtFolder->isVisible() || window.cmdSelectFolder->isVisible();
        QTest::mouseClick(window.cmdOK, Qt::LeftButton);
        stayedOpen = window.isVisible();
        window.cmdCancel->click();
    });
    QVERIFY(!confirmed);
    QCOMPARE(selected, -1);
    QVERIFY(!folderShown);
    QVERIFY(stayedOpen);
    QCOMPARE(prompts.warnings, QStringList{u"Please select an action"_s});
    QCOMPARE(fresh.action, actions::NotChosen);
}

void TfrmRuleEditorTest::formShow_fillsFromTheRule() {
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    rule shown;
    shown.action = actions::MoveToFolder;
    shown.folder = u"/srv/Moved"_s;
    add(shown, conditions::AccessedBefore, {}, 0, 30);
    add(shown, conditions::SizeAbove, {}, 250);
    add(shown, conditions::NameMask, u"Budget*"_s);
    editor.editedRule = &shown;
    editor.FormShow();
    QVERIFY(editor.chkNameLike->isChecked());
    QCOMPARE(editor.txtMask->text(), u"Budget*"_s);
    QVERIFY(editor.chkSizeBigger->isChecked());
    QCOMPARE(editor.txtSize->text(), u"250"_s);
    QVERIFY(!editor.chkLastModified->isChecked());
    QVERIFY(editor.txtDaysMod->text().isEmpty());
    QVERIFY(editor.chkLastAccessed->isChecked());
    QCOMPARE(editor.txtDaysAccesed->text(), u"30"_s);
    QVERIFY(!editor.chkIsFolder->isChecked());
    QCOMPARE(editor.cmbAction->currentIndex(), int(actions::MoveToFolder));
    QCOMPARE(editor.txtFolder->text(), u"/srv/Moved"_s);
    QVERIFY(!editor.txtFolder->isHidden());
    QVERIFY(!editor.cmdSelectFolder->isHidden());

    // Shown again on another rule, nothing of the first stays.
    rule other;
    other.action = actions::Delete;
    editor.editedRule = &other;
    editor.FormShow();
    QVERIFY(!editor.chkNameLike->isChecked());
    QVERIFY(editor.txtMask->text().isEmpty());
    QVERIFY(!editor.chkSizeBigger->isChecked());
    QVERIFY(editor.txtFolder->text().isEmpty());
    QVERIFY(editor.txtFolder->isHidden());
}

void TfrmRuleEditorTest::formShow_offersTheSixActionsEachTime() {
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    rule shown;
    for (int time = 0; time < 3; ++time) {
        editWith(editor, shown, [](TfrmRuleEditor& window) { window.cmdCancel->click(); });
        QStringList items;
        for (int i = 0; i < editor.cmbAction->count(); ++i) {
            items << editor.cmbAction->itemText(i);
        }
        QCOMPARE(items,
                 (QStringList{u"Leave on Desktop"_s, u"Archive"_s, u"Move to Folder"_s,
                              u"Move to Recycle Bin"_s, u"Delete"_s, u"? Ask what to do"_s}));
    }
}

void TfrmRuleEditorTest::folderRow_showsOnlyForMoveToFolder() {
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    rule edited;
    edited.action = actions::Archive;
    edited.folder = u"/left/over"_s;
    const bool confirmed = editWith(editor, edited, [](TfrmRuleEditor& window) {
        QVERIFY(!window.txtFolder->isVisible());
        window.cmbAction->setCurrentIndex(actions::MoveToFolder);
        QVERIFY(window.txtFolder->isVisible());
        QVERIFY(window.cmdSelectFolder->isVisible());
        window.cmbAction->setCurrentIndex(actions::Recycle);
        QVERIFY(!window.txtFolder->isVisible());
        QVERIFY(!window.cmdSelectFolder->isVisible());
        window.cmdOK->click();
    });
    QVERIFY(confirmed);
    QCOMPARE(edited.action, actions::Recycle);
    QVERIFY(edited.folder.isEmpty());
}

void TfrmRuleEditorTest::typing_ticksAndUnticksTheRow() {
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    rule edited;
    editor.editedRule = &edited;
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    const QList<QPair<QLineEdit*, QCheckBox*>> rows{
        {editor.txtMask, editor.chkNameLike},
        {editor.txtSize, editor.chkSizeBigger},
        {editor.txtDaysMod, editor.chkLastModified},
        {editor.txtDaysAccesed, editor.chkLastAccessed}};
    for (const auto& [box, check] : rows) {
        QVERIFY(!check->isChecked());
        QTest::keyClicks(box, u"12"_s);
        QVERIFY(check->isChecked());
        QTest::keyClick(box, Qt::Key_Backspace);
        QVERIFY(check->isChecked());
        QTest::keyClick(box, Qt::Key_Backspace);
        QVERIFY(!check->isChecked());
    }
    editor.reject();
}

void TfrmRuleEditorTest::validate_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("modified");
    QTest::addColumn<QString>("accessed");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("message"); // empty: valid
    const QString none;
    const QString existing = QDir::tempPath();
    // A box with text ticks its row, an empty one leaves it unticked.
    QTest::newRow("all good") << 1 << u"250"_s << u"-3"_s << u"$1F"_s << none << none;
    QTest::newRow("size not a number")
        << 1 << u"4.5"_s << u"x"_s << none << none << u"Size must be an integer"_s;
    QTest::newRow("modified days not a number")
        << 1 << u"1"_s << u"12abc"_s << u"x"_s << none << u"Days must be an integer"_s;
    QTest::newRow("accessed days not a number")
        << 1 << none << none << u"ten"_s << none << u"Days must be an integer"_s;
    QTest::newRow("zero and negative pass") << 1 << u"0"_s << u"-1"_s << u"0"_s << none << none;
    QTest::newRow("folder missing")
        << 2 << none << none << none << u"/no/such/folder"_s << u"Selected folder does not exist"_s;
    QTest::newRow("folder empty") << 2 << none << none << none << none
                                  << u"Selected folder does not exist"_s;
    QTest::newRow("folder not a full path")
        << 2 << none << none << none << u"Documents"_s << u"Selected folder does not exist"_s;
    QTest::newRow("folder exists") << 2 << none << none << none << existing << none;
    QTest::newRow("the first failure only")
        << 2 << u"big"_s << none << u"old"_s << u"/no/such"_s << u"Size must be an integer"_s;
}

void TfrmRuleEditorTest::validate() {
    QFETCH(int, action);
    QFETCH(QString, size);
    QFETCH(QString, modified);
    QFETCH(QString, accessed);
    QFETCH(QString, folder);
    QFETCH(QString, message);
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    rule edited;
    editor.editedRule = &edited;
    editor.FormShow();
    editor.cmbAction->setCurrentIndex(action);
    editor.txtSize->setText(size);
    editor.txtDaysMod->setText(modified);
    editor.txtDaysAccesed->setText(accessed);
    editor.txtFolder->setText(folder);
    QCOMPARE(editor.validate(), message.isEmpty());
    QCOMPARE(prompts.messages, message.isEmpty() ? QStringList{} : QStringList{message});
    QVERIFY(prompts.warnings.isEmpty());
}

void TfrmRuleEditorTest::ok_storesConditionsInTheFixedOrder() {
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    rule edited;
    edited.action = actions::Delete;
    add(edited, conditions::AccessedBefore, {}, 0, 9);
    add(edited, conditions::NameMask, u"*.tmp"_s);
    // Unticked, the letters in the size box do not matter.
    const bool confirmed = editWith(editor, edited, [](TfrmRuleEditor& window) {
        window.txtSize->setText(u"lots"_s);
        window.chkSizeBigger->setChecked(false);
        window.txtDaysMod->setText(u"40"_s);
        window.cmbAction->setCurrentIndex(actions::Archive);
        QTest::keyClick(window.txtDaysMod, Qt::Key_Return);
    });
    QVERIFY(confirmed);
    QVERIFY(editor.confirmed);
    QCOMPARE(describe(edited), u"1||0:*.tmp:0:0|2::0:40|3::0:9"_s);
    QVERIFY(prompts.everything().isEmpty());
}

void TfrmRuleEditorTest::ok_keepsTheHiddenIsFolderCondition() {
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    rule edited;
    edited.action = actions::Archive;
    add(edited, conditions::IsFolder);
    add(edited, conditions::SizeAbove, {}, 100);
    bool folderRowShown = true;
    const bool confirmed = editWith(editor, edited, [&](TfrmRuleEditor& window) {
        folderRowShown = window.chkIsFolder->isVisibleTo(&window);
        window.cmdOK->click();
    });
    QVERIFY(confirmed);
    QVERIFY(!folderRowShown);
    QCOMPARE(describe(edited), u"1||1::100:0|4::0:0"_s);
}

void TfrmRuleEditorTest::ok_storesAnEmptyMaskWhenTicked() {
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    rule edited;
    const QString folder = QDir::tempPath();
    const bool confirmed = editWith(editor, edited, [&](TfrmRuleEditor& window) {
        window.chkNameLike->setChecked(true);
        window.cmbAction->setCurrentIndex(actions::MoveToFolder);
        window.txtFolder->setText(folder);
        window.cmdOK->click();
    });
    QVERIFY(confirmed);
    QCOMPARE(describe(edited), u"2|"_s + folder + u"|0::0:0"_s);
}

void TfrmRuleEditorTest::leaving_keepsTheRuleAsItWas_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << u"cancel"_s;
    QTest::newRow("Esc") << u"escape"_s;
    QTest::newRow("closed by the window manager") << u"close"_s;
}

void TfrmRuleEditorTest::leaving_keepsTheRuleAsItWas() {
    QFETCH(QString, how);
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    rule edited;
    edited.action = actions::MoveToFolder;
    edited.folder = u"/srv/Kept"_s;
    add(edited, conditions::ModifiedBefore, {}, 0, 5);
    const QString before = describe(edited);
    const bool confirmed = editWith(editor, edited, [&](TfrmRuleEditor& window) {
        window.txtDaysMod->setText(u"77"_s);
        window.txtMask->setText(u"*.x"_s);
        window.cmbAction->setCurrentIndex(actions::Delete);
        if (how == u"cancel"_s) {
            QTest::mouseClick(window.cmdCancel, Qt::LeftButton);
        } else if (how == u"escape"_s) {
            QTest::keyClick(window.txtMask, Qt::Key_Escape);
        } else {
            window.close();
        }
    });
    QVERIFY(!confirmed);
    QVERIFY(!editor.isVisible());
    QCOMPARE(describe(edited), before);
}

void TfrmRuleEditorTest::selectFolder_startsOnTheFolderBoxOrHome() {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    prompts.pickedFolders << dir.path() + u"/first"_s;
    TfrmRuleEditor editor(prompts);
    rule edited;
    edited.action = actions::MoveToFolder;
    editor.editedRule = &edited;
    editor.FormShow();

    editor.txtFolder->setText(u"/no/such/folder"_s);
    editor.cmdSelectFolder->click();
    QCOMPARE(editor.txtFolder->text(), dir.path() + u"/first"_s);

    editor.txtFolder->setText(dir.path());
    editor.cmdSelectFolder->click(); // cancelled: the script has no more answers
    QCOMPARE(editor.txtFolder->text(), dir.path());
    QCOMPARE(prompts.pickerStarts, (QStringList{QDir::homePath(), dir.path()}));
}

void TfrmRuleEditorTest::helpLink_showsTheMaskHelp() {
    ScriptedPrompts prompts;
    TfrmRuleEditor editor(prompts);
    QString caption;
    auto outcome = answerModal([&](QWidget& window) {
        caption = window.windowTitle();
        qobject_cast<TfrmMaskHelp*>(&window)->Button1->click();
    });
    QTest::mouseClick(editor.spSkinButtonLabel1, Qt::LeftButton);
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(caption, u"Learn to use masks"_s);
}

void TfrmRuleEditorTest::maskHelp_textsAndWaysToClose_data() {
    QTest::addColumn<int>("key"); // 0: the button
    QTest::newRow("Close") << 0;
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void TfrmRuleEditorTest::maskHelp_textsAndWaysToClose() {
    QFETCH(int, key);
    TfrmMaskHelp help;
    QCOMPARE(help.windowTitle(), u"Learn to use masks"_s);
    QCOMPARE(help.size(), QSize(413, 285));
    QVERIFY(!help.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(help.Label1->text(), u"File masks let you  select files of certain types easily"_s);
    QCOMPARE(help.Label2->text(),
             u"Using * and text you can select any type of file, like this:"_s);
    QCOMPARE(help.Label3->text(), u"The mask \"*.doc\" selects all the files than end with the "
                                  u".DOC extension, for example: letter.doc, cv.doc, etc."_s);
    QCOMPARE(help.Label4->text(),
             u"The mask \"Budget*\" selects any file that starts with \"Budget\", for example: "
             u"\"Budget01.xls\", \"Budget_2009.doc\", etc."_s);
    QCOMPARE(help.Label5->text(),
             u"The mask \"*mary*\" selects any file that has \"Mary\" in its name, for example:  "
             u"\"Letter_Mary.doc\", \"Expensesmary.xls\" etc."_s);
    QCOMPARE(help.Button1->text(), u"Close"_s);
    auto outcome = answerModal([&](QWidget& window) {
        if (key == 0) {
            QTest::mouseClick(help.Button1, Qt::LeftButton);
        } else {
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus != nullptr ? focus : &window, Qt::Key(key));
        }
    });
    help.exec();
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
}

QTEST_MAIN(TfrmRuleEditorTest)
#include "test_tfrmruleeditor.moc"
