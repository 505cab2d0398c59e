#include "ui/tfrmruleeditor.h"

#include "engine/actionkind.h"
#include "engine/rule.h"
#include "platform/prompts.h"
#include "platform/validateinteger.h"
#include "ui/placement.h"
#include "ui/texts.h"
#include "ui/tfrmmaskhelp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace moravel {

namespace {

// A folder the user can mean: a full path that names an existing folder. A relative text would
// name a folder wherever the program happens to run.
bool isExistingFolder(const QString& text) {
    return !text.isEmpty() && QDir::isAbsolutePath(text) && QFileInfo(text).isDir();
}

// Ticks the row's check box while its box holds text, as the user types.
void tickWhileFilled(QLineEdit* box, QCheckBox* check) {
    QObject::connect(box, &QLineEdit::textChanged, check,
                     [check](const QString& text) { check->setChecked(!text.isEmpty()); });
}

} // namespace

TfrmRuleEditor::TfrmRuleEditor(Prompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_prompts(prompts) {
    setWindowTitle(texts::ruleEditorCaption());
    setModal(true);
    resize(667, 341);

    GroupBox1 = new QGroupBox(texts::conditionsGroup(), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* conditionsGrid = new QGridLayout(GroupBox1);
    conditionsGrid->setColumnStretch(3, 1);
    int row = 0;
    const auto addRow = [&](QCheckBox*& check, const QString& checkName, const QString& caption,
                            QLineEdit*& box, const QString& boxName, QWidget* after) {
        check = new QCheckBox(caption, GroupBox1);
        check->setObjectName(checkName);
        check->setAccessibleName(caption.trimmed());
        box = new QLineEdit(GroupBox1);
        box->setObjectName(boxName);
        box->setAccessibleName(caption.trimmed());
        box->setMinimumWidth(121);
        conditionsGrid->addWidget(check, row, 0);
        conditionsGrid->addWidget(box, row, 1);
        if (after != nullptr) {
            conditionsGrid->addWidget(after, row, 2);
        }
        ++row;
    };

    spSkinButtonLabel1 = new QToolButton(GroupBox1);
    spSkinButtonLabel1->setObjectName(QStringLiteral("spSkinButtonLabel1"));
    spSkinButtonLabel1->setText(texts::maskHelpLink());
    spSkinButtonLabel1->setAccessibleName(texts::maskHelpLink());
    spSkinButtonLabel1->setAutoRaise(true);
    spSkinButtonLabel1->setCursor(Qt::PointingHandCursor);
    QFont linkFont = spSkinButtonLabel1->font();
    linkFont.setUnderline(true);
    spSkinButtonLabel1->setFont(linkFont);
    QPalette linkPalette = spSkinButtonLabel1->palette();
    linkPalette.setColor(QPalette::ButtonText, linkPalette.color(QPalette::Link));
    spSkinButtonLabel1->setPalette(linkPalette);
    connect(spSkinButtonLabel1, &QToolButton::clicked, this,
            &TfrmRuleEditor::spSkinButtonLabel1Click);
    addRow(chkNameLike, QStringLiteral("chkNameLike"), texts::nameLikeCheck(), txtMask,
           QStringLiteral("txtMask"), spSkinButtonLabel1);

    Label3 = new QLabel(texts::megabytesLabel(), GroupBox1);
    Label3->setObjectName(QStringLiteral("Label3"));
    addRow(chkSizeBigger, QStringLiteral("chkSizeBigger"), texts::sizeBiggerCheck(), txtSize,
           QStringLiteral("txtSize"), Label3);

    Label1 = new QLabel(texts::daysAgoLabel(), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    addRow(chkLastModified, QStringLiteral("chkLastModified"), texts::modifiedMoreCheck(),
           txtDaysMod, QStringLiteral("txtDaysMod"), Label1);

    Label2 = new QLabel(texts::daysAgoLabel(), GroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    addRow(chkLastAccessed, QStringLiteral("chkLastAccessed"), texts::accessedMoreCheck(),
           txtDaysAccesed, QStringLiteral("txtDaysAccesed"), Label2);

    Panel5 = new QWidget(GroupBox1);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    chkIsFolder = new QCheckBox(texts::isFolderCheck(), Panel5);
    chkIsFolder->setObjectName(QStringLiteral("chkIsFolder"));
    chkIsFolder->setAccessibleName(texts::isFolderCheck());
    Panel5->hide();
    conditionsGrid->setRowStretch(row, 1);

    tickWhileFilled(txtMask, chkNameLike);
    tickWhileFilled(txtSize, chkSizeBigger);
    tickWhileFilled(txtDaysMod, chkLastModified);
    tickWhileFilled(txtDaysAccesed, chkLastAccessed);

    GroupBox2 = new QGroupBox(texts::actionGroup(), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* actionRow = new QHBoxLayout(GroupBox2);
    cmbAction = new QComboBox(GroupBox2);
    cmbAction->setObjectName(QStringLiteral("cmbAction"));
    cmbAction->setAccessibleName(texts::actionGroup());
    cmbAction->setEditable(false);
    cmbAction->setMinimumWidth(196);
    connect(cmbAction, &QComboBox::currentIndexChanged, this, &TfrmRuleEditor::chkAction);
    txtFolder = new QLineEdit(GroupBox2);
    txtFolder->setObjectName(QStringLiteral("txtFolder"));
    txtFolder->setAccessibleName(texts::destinationFolderName());
    txtFolder->setMinimumWidth(324);
    cmdSelectFolder = new QPushButton(texts::selectButton(), GroupBox2);
    cmdSelectFolder->setObjectName(QStringLiteral("cmdSelectFolder"));
    cmdSelectFolder->setAccessibleName(texts::selectButton());
    cmdSelectFolder->setAutoDefault(false);
    connect(cmdSelectFolder, &QPushButton::clicked, this, &TfrmRuleEditor::cmdSelectFolderClick);
    actionRow->addWidget(cmbAction);
    actionRow->addWidget(txtFolder, 1);
    actionRow->addWidget(cmdSelectFolder);
    actionRow->addStretch(0);
    txtFolder->hide();
    cmdSelectFolder->hide();

    cmdOK = new QPushButton(texts::okButton(), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setAccessibleName(texts::okButton());
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &TfrmRuleEditor::cmdOKClick);
    cmdCancel = new QPushButton(texts::cancelButton(), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAccessibleName(texts::cancelButton());
    cmdCancel->setAutoDefault(false);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmRuleEditor::cmdCancelClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1, 1);
    layout->addWidget(GroupBox2);
    layout->addLayout(buttons);

    frmMaskHelp = new TfrmMaskHelp(this);
}

bool TfrmRuleEditor::edit(rule& target) {
    editedRule = &target;
    confirmed = false;
    exec();
    return confirmed;
}

void TfrmRuleEditor::showEvent(QShowEvent* event) {
    FormShow();
    centreOnScreen(*this);
    QDialog::showEvent(event);
}

void TfrmRuleEditor::FormShow() {
    clearAll();
    // Replaced, never added to, so that a list position always equals the action value.
    cmbAction->clear();
    for (int action = actions::Leave; action <= actions::Ask; ++action) {
        cmbAction->addItem(actionName(action));
    }
    cmbAction->setCurrentIndex(-1);
    chkAction();
    if (editedRule == nullptr) {
        return;
    }
    txtFolder->setText(editedRule->folder);
    rtrConditions();
    cmbAction->setCurrentIndex(isKnownAction(editedRule->action) ? editedRule->action : -1);
}

void TfrmRuleEditor::clearAll() {
    for (QLineEdit* box : {txtMask, txtSize, txtDaysMod, txtDaysAccesed, txtFolder}) {
        box->clear();
    }
    for (QCheckBox* check :
         {chkNameLike, chkSizeBigger, chkLastModified, chkLastAccessed, chkIsFolder}) {
        check->setChecked(false);
    }
}

void TfrmRuleEditor::rtrConditions() {
    for (const auto& condition : editedRule->conditions) {
        switch (condition->type) {
        case conditions::NameMask:
            chkNameLike->setChecked(true);
            txtMask->setText(condition->mask);
            break;
        case conditions::SizeAbove:
            chkSizeBigger->setChecked(true);
            txtSize->setText(QString::number(condition->size));
            break;
        case conditions::ModifiedBefore:
            chkLastModified->setChecked(true);
            txtDaysMod->setText(QString::number(condition->time));
            break;
        case conditions::AccessedBefore:
            chkLastAccessed->setChecked(true);
            txtDaysAccesed->setText(QString::number(condition->time));
            break;
        case conditions::IsFolder:
            chkIsFolder->setChecked(true);
            break;
        default:
            break;
        }
    }
}

void TfrmRuleEditor::chkAction() {
    const bool moves = isMoveFolder();
    txtFolder->setVisible(moves);
    cmdSelectFolder->setVisible(moves);
}

bool TfrmRuleEditor::isMoveFolder() const {
    return cmbAction->currentIndex() == actions::MoveToFolder;
}

bool TfrmRuleEditor::validate() {
    if (cmbAction->currentIndex() < 0) {
        m_prompts.showWarning(texts::selectAnAction());
        return false;
    }
    if (chkSizeBigger->isChecked() &&
        !validateInteger(txtSize->text(), texts::sizeLabel(), m_prompts)) {
        return false;
    }
    if (chkLastModified->isChecked() &&
        !validateInteger(txtDaysMod->text(), texts::daysLabel(), m_prompts)) {
        return false;
    }
    if (chkLastAccessed->isChecked() &&
        !validateInteger(txtDaysAccesed->text(), texts::daysLabel(), m_prompts)) {
        return false;
    }
    if (isMoveFolder() && !isExistingFolder(txtFolder->text())) {
        m_prompts.showMessage(texts::folderDoesNotExist());
        return false;
    }
    return true;
}

void TfrmRuleEditor::sto() {
    rule& target = *editedRule;
    target.action = static_cast<ActionKind>(cmbAction->currentIndex());
    target.folder = isMoveFolder() ? txtFolder->text() : QString();
    target.conditions.clear();
    const auto addCond = [&target](ConditionKind type) -> ruleCondition& {
        ruleCondition& condition = target.addCondition();
        condition.type = type;
        return condition;
    };
    if (chkNameLike->isChecked()) {
        addCond(conditions::NameMask).mask = txtMask->text();
    }
    if (chkSizeBigger->isChecked()) {
        addCond(conditions::SizeAbove).size = parseInteger(txtSize->text()).value_or(0);
    }
    if (chkLastModified->isChecked()) {
        addCond(conditions::ModifiedBefore).time = parseInteger(txtDaysMod->text()).value_or(0);
    }
    if (chkLastAccessed->isChecked()) {
        addCond(conditions::AccessedBefore).time = parseInteger(txtDaysAccesed->text()).value_or(0);
    }
    if (chkIsFolder->isChecked()) {
        addCond(conditions::IsFolder);
    }
}

void TfrmRuleEditor::cmdOKClick() {
    if (!validate()) {
        return;
    }
    sto();
    confirmed = true;
    accept();
}

void TfrmRuleEditor::cmdCancelClick() {
    reject();
}

void TfrmRuleEditor::reject() {
    // Cancel, Esc and a close from the window manager all leave the rule as it was.
    confirmed = false;
    QDialog::reject();
}

void TfrmRuleEditor::cmdSelectFolderClick() {
    QString folder = txtFolder->text();
    if (!isExistingFolder(folder)) {
        folder = QDir::homePath();
    }
    if (m_prompts.browseForFolder(folder)) {
        txtFolder->setText(folder);
    }
}

void TfrmRuleEditor::spSkinButtonLabel1Click() {
    frmMaskHelp->exec();
}

} // namespace moravel
