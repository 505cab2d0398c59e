#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace moravel {

class Prompts;
class global;

// The rule list: the user's rules in priority order, the first one tried first, with commands
// to add, edit, remove and reorder them. It works on the rules of the application state in
// place, so every change counts at once; whoever opened it saves them once it has closed.
class TfrmRules final : public QDialog {
    Q_OBJECT

public:
    TfrmRules(global& state, Prompts& prompts, QWidget* parent = nullptr);

    // Fills the list from the rules and selects row `index` when there is one.
    void fillRuleList(int index);
    // Edits the selected rule in the rule editor, on a copy that replaces it on OK.
    void edit();

    void cmdRulesNewClick();
    void cmdRulesEditClick();
    void lsvRulesDblClick();
    void cmdRulesRemoveClick();
    void cmdRulesUpClick();
    void cmdRulesDownClick();

    QGroupBox* frame = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* spSkinTextLabel1 = nullptr;
    QLabel* spSkinTextLabel2 = nullptr;
    QLabel* Image2 = nullptr;
    QTreeWidget* lsvRules = nullptr;
    QWidget* pnlBottom = nullptr;
    QPushButton* cmdRulesNew = nullptr;
    QPushButton* cmdRulesEdit = nullptr;
    QPushButton* cmdRulesRemove = nullptr;
    QPushButton* cmdRulesUp = nullptr;
    QPushButton* cmdRulesDown = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    // The selected row, or -1.
    int selectedIndex() const;

    global& m_state;
    Prompts& m_prompts;
};

} // namespace moravel
