#include "ui/tfrmrules.h"

#include "engine/rule.h"
#include "platform/prompts.h"
#include "scanner/listtexts.h"
#include "storage/global.h"
#include "ui/placement.h"
#include "ui/texts.h"
#include "ui/tfrmruleeditor.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace moravel {

namespace {

enum RuleColumn { ConditionColumn, ActionColumn, FolderColumn };

QLabel* newPriorityCaption(const QString& name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* newArrow(const QString& name, QStyle::StandardPixmap arrow, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(parent->style()->standardIcon(arrow).pixmap(32, 32));
    label->setFixedSize(32, 32);
    return label;
}

} // namespace

TfrmRules::TfrmRules(global& state, Prompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      m_state(state), m_prompts(prompts) {
    setObjectName(QStringLiteral("frmRules"));
    setWindowTitle(texts::ruleListCaption());
    setAccessibleName(texts::ruleListCaption());
    setModal(true);
    resize(813, 417);

    frame = new QGroupBox(texts::ruleListCaption(), this);
    frame->setObjectName(QStringLiteral("frame"));

    Image1 = newArrow(QStringLiteral("Image1"), QStyle::SP_ArrowUp, frame);
    spSkinTextLabel1 =
        newPriorityCaption(QStringLiteral("spSkinTextLabel1"), texts::highPriorityCaption(), frame);
    spSkinTextLabel2 =
        newPriorityCaption(QStringLiteral("spSkinTextLabel2"), texts::lowPriorityCaption(), frame);
    Image2 = newArrow(QStringLiteral("Image2"), QStyle::SP_ArrowDown, frame);
    auto* priority = new QVBoxLayout;
    priority->addWidget(Image1, 0, Qt::AlignHCenter);
    priority->addWidget(spSkinTextLabel1);
    priority->addStretch(1);
    priority->addWidget(spSkinTextLabel2);
    priority->addWidget(Image2, 0, Qt::AlignHCenter);
    priority->addStretch(2);

    lsvRules = new QTreeWidget(frame);
    lsvRules->setObjectName(QStringLiteral("lsvRules"));
    lsvRules->setAccessibleName(texts::ruleListCaption());
    lsvRules->setRootIsDecorated(false);
    lsvRules->setItemsExpandable(false);
    lsvRules->setUniformRowHeights(true);
    lsvRules->setAllColumnsShowFocus(true);
    lsvRules->setSelectionBehavior(QAbstractItemView::SelectRows);
    lsvRules->setSelectionMode(QAbstractItemView::SingleSelection);
    lsvRules->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lsvRules->header()->setStretchLastSection(false);
    lsvRules->setMinimumSize(300, 150);
    connect(lsvRules, &QTreeWidget::itemDoubleClicked, this, &TfrmRules::lsvRulesDblClick);

    auto* top = new QHBoxLayout;
    top->addLayout(priority);
    top->addWidget(lsvRules, 1);

    pnlBottom = new QWidget(frame);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    auto* buttons = new QHBoxLayout(pnlBottom);
    buttons->setContentsMargins(46, 6, 0, 0);
    const auto newButton = [this, buttons](const QString& name, const QString& caption,
                                           void (TfrmRules::*handler)()) {
        auto* button = new QPushButton(caption, pnlBottom);
        button->setObjectName(name);
        button->setAccessibleName(texts::withoutMnemonic(caption));
        button->setAutoDefault(false);
        button->setMinimumWidth(75);
        connect(button, &QPushButton::clicked, this, handler);
        buttons->addWidget(button);
        return button;
    };
    cmdRulesNew = newButton(QStringLiteral("cmdRulesNew"), texts::newRuleButton(),
                            &TfrmRules::cmdRulesNewClick);
    cmdRulesEdit = newButton(QStringLiteral("cmdRulesEdit"), texts::editRuleButton(),
                             &TfrmRules::cmdRulesEditClick);
    cmdRulesRemove = newButton(QStringLiteral("cmdRulesRemove"), texts::removeRuleButton(),
                               &TfrmRules::cmdRulesRemoveClick);
    buttons->addSpacing(15);
    cmdRulesUp =
        newButton(QStringLiteral("cmdRulesUp"), texts::moveUpButton(), &TfrmRules::cmdRulesUpClick);
    cmdRulesDown = newButton(QStringLiteral("cmdRulesDown"), texts::moveDownButton(),
                             &TfrmRules::cmdRulesDownClick);
    buttons->addStretch(1);

    auto* inside = new QVBoxLayout(frame);
    inside->addLayout(top, 1);
    inside->addWidget(pnlBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);

    // Esc closes the list wherever the focus is; the list keeps every change made.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QDialog::close);
}

void TfrmRules::showEvent(QShowEvent* event) {
    FormShow();
    centreOnScreen(*this);
    QDialog::showEvent(event);
}

void TfrmRules::FormShow() {
    fillRuleList(0);
}

void TfrmRules::fillRuleList(int index) {
    lsvRules->clear();
    lsvRules->setColumnCount(3);
    lsvRules->setHeaderLabels(
        {texts::conditionColumn(), listtexts::actionColumn(), texts::folderColumn()});
    lsvRules->header()->resizeSection(ConditionColumn, 300);
    lsvRules->header()->resizeSection(ActionColumn, 200);
    lsvRules->header()->resizeSection(FolderColumn, 500);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(m_state.rules.size()));
    for (const auto& each : m_state.rules) {
        rows.append(new QTreeWidgetItem({each->describe(), each->actionName(), each->folder}));
    }
    lsvRules->addTopLevelItems(rows);
    if (index >= 0 && index < rows.size()) {
        lsvRules->setCurrentItem(rows[index]);
        rows[index]->setSelected(true);
    }
    lsvRules->setFocus();
}

int TfrmRules::selectedIndex() const {
    const QList<QTreeWidgetItem*> selected = lsvRules->selectedItems();
    return selected.isEmpty() ? -1 : lsvRules->indexOfTopLevelItem(selected.first());
}

void TfrmRules::cmdRulesNewClick() {
    auto made = std::make_unique<rule>();
    made->action = actions::NotChosen; // the editor shows no action chosen
    TfrmRuleEditor editor(m_prompts, this);
    if (!editor.edit(*made)) {
        return;
    }
    m_state.rules.insert(m_state.rules.begin(), std::move(made));
    fillRuleList(0);
}

void TfrmRules::cmdRulesEditClick() {
    edit();
}

void TfrmRules::lsvRulesDblClick() {
    edit();
}

void TfrmRules::edit() {
    const int index = selectedIndex();
    if (index < 0) {
        return;
    }
    auto& slot = m_state.rules[static_cast<std::size_t>(index)];
    std::unique_ptr<rule> copy = slot->clone();
    TfrmRuleEditor editor(m_prompts, this);
    if (!editor.edit(*copy)) {
        return;
    }
    slot = std::move(copy);
    fillRuleList(index);
}

void TfrmRules::cmdRulesRemoveClick() {
    const int index = selectedIndex();
    if (index < 0 || !m_prompts.confirmYesNo(texts::deleteRuleQuestion())) {
        return;
    }
    m_state.rules.erase(m_state.rules.begin() + index);
    fillRuleList(0);
}

void TfrmRules::cmdRulesUpClick() {
    const int index = selectedIndex();
    if (index <= 0) {
        return;
    }
    std::swap(m_state.rules[static_cast<std::size_t>(index)],
              m_state.rules[static_cast<std::size_t>(index - 1)]);
    fillRuleList(index - 1);
}

void TfrmRules::cmdRulesDownClick() {
    const int index = selectedIndex();
    if (index < 0 || index + 1 >= static_cast<int>(m_state.rules.size())) {
        return;
    }
    std::swap(m_state.rules[static_cast<std::size_t>(index)],
              m_state.rules[static_cast<std::size_t>(index + 1)]);
    fillRuleList(index + 1);
}

} // namespace moravel
