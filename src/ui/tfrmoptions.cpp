#include "ui/tfrmoptions.h"

#include "engine/errorcontrol.h"
#include "platform/prompts.h"
#include "platform/validateinteger.h"
#include "storage/global.h"
#include "ui/placement.h"
#include "ui/texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace moravel {

namespace {

constexpr int reminderOptionCount = 4;

// A folder the user can mean: a full path that names an existing folder. A relative text would
// name a folder wherever the program happens to run.
bool isExistingFolder(const QString& text) {
    return !text.isEmpty() && QDir::isAbsolutePath(text) && QFileInfo(text).isDir();
}

QGroupBox* newGroup(const QString& name, const QString& caption, QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(name);
    group->setMinimumHeight(57);
    return group;
}

template <typename Control>
Control* named(Control* control, const QString& name, const QString& accessibleName) {
    control->setObjectName(name);
    control->setAccessibleName(texts::withoutMnemonic(accessibleName));
    return control;
}

} // namespace

TfrmOptions::TfrmOptions(global& state, Prompts& prompts, QString programPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_state(state), m_prompts(prompts), m_programPath(std::move(programPath)) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(texts::optionsCaption());
    setAccessibleName(texts::optionsCaption());
    setModal(true);

    grpArchiveFolder =
        newGroup(QStringLiteral("grpArchiveFolder"), texts::archiveFolderGroup(), this);
    txtRutaRepositorio = named(new QLineEdit(grpArchiveFolder),
                               QStringLiteral("txtRutaRepositorio"), texts::archiveFolderGroup());
    txtRutaRepositorio->setMinimumWidth(425);
    cmdSelectRutaRepositorio =
        named(new QPushButton(texts::selectArchiveFolderButton(), grpArchiveFolder),
              QStringLiteral("cmdSelectRutaRepositorio"), texts::selectArchiveFolderButton());
    cmdSelectRutaRepositorio->setAutoDefault(false);
    connect(cmdSelectRutaRepositorio, &QPushButton::clicked, this,
            &TfrmOptions::cmdSelectRutaRepositorioClick);
    auto* archiveRow = new QHBoxLayout(grpArchiveFolder);
    archiveRow->addWidget(txtRutaRepositorio, 1);
    archiveRow->addWidget(cmdSelectRutaRepositorio);

    grpDateFolderFormat =
        newGroup(QStringLiteral("grpDateFolderFormat"), texts::dateFolderFormatGroup(), this);
    optYYMMDD = named(new QRadioButton(texts::yyMmDdOption(), grpDateFolderFormat),
                      QStringLiteral("optYYMMDD"), texts::yyMmDdOption());
    optMMDDYY = named(new QRadioButton(texts::mmDdYyOption(), grpDateFolderFormat),
                      QStringLiteral("optMMDDYY"), texts::mmDdYyOption());
    optYYMMDD->setChecked(true);
    auto* formats = new QVBoxLayout(grpDateFolderFormat);
    formats->addWidget(optYYMMDD);
    formats->addWidget(optMMDDYY);

    grpFolders = newGroup(QStringLiteral("grpFolders"), texts::foldersGroup(), this);
    chkFolders = named(new QCheckBox(texts::includeFoldersCheck(), grpFolders),
                       QStringLiteral("chkFolders"), texts::includeFoldersCheck());
    (new QVBoxLayout(grpFolders))->addWidget(chkFolders);

    grpRemind = newGroup(QStringLiteral("grpRemind"), texts::reminderGroup(), this);
    cmbRemindMode =
        named(new QComboBox(grpRemind), QStringLiteral("cmbRemindMode"), texts::reminderGroup());
    cmbRemindMode->setEditable(false);
    cmbRemindMode->setMinimumWidth(209);
    auto* remindRow = new QHBoxLayout(grpRemind);
    remindRow->addWidget(cmbRemindMode);
    remindRow->addStretch(1);

    grpStart = newGroup(QStringLiteral("grpStart"), texts::startAutomaticallyGroup(), this);
    chkLaunchWithWindows =
        named(new QCheckBox(texts::launchAtLoginCheck(), grpStart),
              QStringLiteral("chkLaunchWithWindows"), texts::launchAtLoginCheck());
    (new QVBoxLayout(grpStart))->addWidget(chkLaunchWithWindows);
    grpUpdates = newGroup(QStringLiteral("grpUpdates"), texts::updatesGroup(), this);
    chkUpdates = named(new QCheckBox(texts::updatesCheck(), grpUpdates),
                       QStringLiteral("chkUpdates"), texts::updatesCheck());
    (new QVBoxLayout(grpUpdates))->addWidget(chkUpdates);
    auto* startAndUpdates = new QHBoxLayout;
    startAndUpdates->addWidget(grpStart, 243);
    startAndUpdates->addWidget(grpUpdates, 292);

    grpLog = newGroup(QStringLiteral("grpLog"), texts::logGroup(), this);
    Label3 = new QLabel(texts::keepLabel(), grpLog);
    Label3->setObjectName(QStringLiteral("Label3"));
    txtMonthLog =
        named(new QLineEdit(grpLog), QStringLiteral("txtMonthLog"), texts::monthsOfLogName());
    txtMonthLog->setFixedWidth(73);
    Label3->setBuddy(txtMonthLog);
    Label4 = new QLabel(texts::monthsOfLogLabel(), grpLog);
    Label4->setObjectName(QStringLiteral("Label4"));
    auto* logRow = new QHBoxLayout(grpLog);
    logRow->addWidget(Label3);
    logRow->addWidget(txtMonthLog);
    logRow->addWidget(Label4);
    logRow->addStretch(1);

    cmdOK =
        named(new QPushButton(texts::okButton(), this), QStringLiteral("cmdOK"), texts::okButton());
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &TfrmOptions::cmdOKClick);
    cmdCancel = named(new QPushButton(texts::cancelButton(), this), QStringLiteral("cmdCancel"),
                      texts::cancelButton());
    cmdCancel->setAutoDefault(false);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmOptions::cmdCancelClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpArchiveFolder);
    layout->addWidget(grpDateFolderFormat);
    layout->addWidget(grpFolders);
    layout->addWidget(grpRemind);
    layout->addLayout(startAndUpdates);
    layout->addWidget(grpLog);
    layout->addStretch(1);
    layout->addLayout(buttons);

    setTabOrder(txtMonthLog, optYYMMDD);
    setTabOrder(optYYMMDD, optMMDDYY);
    setTabOrder(optMMDDYY, txtRutaRepositorio);
    setTabOrder(txtRutaRepositorio, cmdSelectRutaRepositorio);
    setTabOrder(cmdSelectRutaRepositorio, chkFolders);
    setTabOrder(chkFolders, chkLaunchWithWindows);
    setTabOrder(chkLaunchWithWindows, chkUpdates);
    setTabOrder(chkUpdates, cmbRemindMode);
    setTabOrder(cmbRemindMode, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    // A fixed border: the size the layout needs, at least the designed 570 x 446.
    setFixedSize(sizeHint().expandedTo(QSize(570, 446)));
}

void TfrmOptions::showEvent(QShowEvent* event) {
    FormShow();
    centreOnScreen(*this);
    QDialog::showEvent(event);
    txtMonthLog->setFocus();
}

void TfrmOptions::FormShow() {
    cmbRemindMode->clear();
    for (int option = 0; option < reminderOptionCount; ++option) {
        cmbRemindMode->addItem(reminderOptionName(static_cast<ReminderOption>(option)));
    }
    // An option the list does not offer (a hand-edited file) selects no entry.
    const int reminder = m_state.opcionRecordatorio;
    cmbRemindMode->setCurrentIndex(reminder < reminderOptionCount ? reminder : -1);
    txtRutaRepositorio->setText(m_state.rutaRepositorio);
    // Any other value leaves the buttons as designed: YY-MM-DD.
    if (m_state.reglaCreacionCarpeta == datefolder::MmDdYy) {
        optMMDDYY->setChecked(true);
    } else {
        optYYMMDD->setChecked(true);
    }
    chkUpdates->setChecked(m_state.chkForUpdates);
    chkLaunchWithWindows->setChecked(m_state.iniciarConWindows);
    txtMonthLog->setText(QString::number(m_state.mesesEnLog));
    chkFolders->setChecked(m_state.includeFolders);
}

void TfrmOptions::cmdSelectRutaRepositorioClick() {
    QString folder = txtRutaRepositorio->text();
    if (!isExistingFolder(folder)) {
        folder = QDir::homePath();
    }
    if (m_prompts.browseForFolder(folder)) {
        txtRutaRepositorio->setText(folder);
    }
}

bool TfrmOptions::validate() {
    if (!isExistingFolder(txtRutaRepositorio->text())) {
        m_prompts.showMessage(texts::archiveFolderDoesNotExist());
        return false;
    }
    return validateInteger(txtMonthLog->text(), texts::logMonthsLabel(), m_prompts);
}

void TfrmOptions::sto() {
    m_state.rutaRepositorio = txtRutaRepositorio->text();
    m_state.reglaCreacionCarpeta = optYYMMDD->isChecked() ? datefolder::YyMmDd : datefolder::MmDdYy;
    m_state.includeFolders = chkFolders->isChecked();
    // No entry chosen (the stored option was out of range): "Never".
    const int reminder = cmbRemindMode->currentIndex();
    m_state.opcionRecordatorio =
        reminder >= 0 ? static_cast<ReminderOption>(reminder) : reminder::Never;
    m_state.iniciarConWindows = chkLaunchWithWindows->isChecked();
    m_state.chkForUpdates = chkUpdates->isChecked();
    m_state.mesesEnLog = parseInteger(txtMonthLog->text()).value_or(0);
}

void TfrmOptions::cmdOKClick() {
    if (!validate()) {
        return;
    }
    sto();
    errorControl error;
    // The other settings are stored all the same; the user learns what became of the entry.
    if (!m_state.applyStartWithWindows(m_programPath, error)) {
        m_prompts.showMessage(error.message);
    }
    confirmed = true;
    if (m_state.opcionRecordatorio != reminder::Never) {
        m_state.nextReminder = m_state.nextReminderDate();
    }
    accept();
}

void TfrmOptions::cmdCancelClick() {
    reject();
}

void TfrmOptions::reject() {
    // Cancel, Esc and the window's close command leave the settings as they were.
    confirmed = false;
    QDialog::reject();
}

} // namespace moravel
