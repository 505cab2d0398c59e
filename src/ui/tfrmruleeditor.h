#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace moravel {

class Prompts;
class TfrmMaskHelp;
class rule;

// The modal window in which the user makes or changes one rule: its conditions and its action.
// The caller sets `editedRule`, shows the window and reads `confirmed`; the rule is written
// only on a valid OK.
class TfrmRuleEditor final : public QDialog {
    Q_OBJECT

public:
    explicit TfrmRuleEditor(Prompts& prompts, QWidget* parent = nullptr);

    // Sets `editedRule`, shows the window modally and returns `confirmed`.
    bool edit(rule& target);

    rule* editedRule = nullptr;
    bool confirmed = false;

    // Fills the window from `editedRule`; runs each time the window is shown.
    void FormShow();
    // True when the input may be stored; otherwise the user has been told why.
    bool validate();
    // Writes the input into `editedRule`: the action, its folder, and the conditions in the
    // fixed order name, size, modified, accessed, folder.
    void sto();

    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* chkNameLike = nullptr;
    QLineEdit* txtMask = nullptr;
    QToolButton* spSkinButtonLabel1 = nullptr;
    QCheckBox* chkSizeBigger = nullptr;
    QLineEdit* txtSize = nullptr;
    QLabel* Label3 = nullptr;
    QCheckBox* chkLastModified = nullptr;
    QLineEdit* txtDaysMod = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* chkLastAccessed = nullptr;
    QLineEdit* txtDaysAccesed = nullptr;
    QLabel* Label2 = nullptr;
    // Never shown: the editor offers no is-folder condition, but keeps one a rule has.
    QWidget* Panel5 = nullptr;
    QCheckBox* chkIsFolder = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QComboBox* cmbAction = nullptr;
    QLineEdit* txtFolder = nullptr;
    QPushButton* cmdSelectFolder = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    TfrmMaskHelp* frmMaskHelp = nullptr;

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void clearAll();
    void rtrConditions();
    void chkAction();
    bool isMoveFolder() const;
    void cmdOKClick();
    void cmdCancelClick();
    void cmdSelectFolderClick();
    void spSkinButtonLabel1Click();

    Prompts& m_prompts;
};

} // namespace moravel
