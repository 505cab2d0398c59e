#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace moravel {

class Prompts;
class global;

// The settings dialog: the archive folder, the date folder format, whether folders are
// cleaned, the reminders, starting at login, update notices and the months of log. The
// controls are filled from the application state when the dialog is shown and written back
// only on a valid OK, which also writes or removes the start-at-login entry for
// `programPath`. The caller reads `confirmed` and saves.
class TfrmOptions final : public QDialog {
    Q_OBJECT

public:
    TfrmOptions(global& state, Prompts& prompts, QString programPath, QWidget* parent = nullptr);

    bool confirmed = false;

    // Fills the controls from the state; runs each time the dialog is shown.
    void FormShow();
    // True when the entries may be stored; otherwise the user has been told why.
    bool validate();
    // Writes every control into the state.
    void sto();

    void cmdOKClick();
    void cmdCancelClick();
    void cmdSelectRutaRepositorioClick();

    QGroupBox* grpArchiveFolder = nullptr;
    QLineEdit* txtRutaRepositorio = nullptr;
    QPushButton* cmdSelectRutaRepositorio = nullptr;
    QGroupBox* grpDateFolderFormat = nullptr;
    QRadioButton* optYYMMDD = nullptr;
    QRadioButton* optMMDDYY = nullptr;
    QGroupBox* grpFolders = nullptr;
    QCheckBox* chkFolders = nullptr;
    QGroupBox* grpRemind = nullptr;
    QComboBox* cmbRemindMode = nullptr;
    QGroupBox* grpStart = nullptr;
    QCheckBox* chkLaunchWithWindows = nullptr; // "&Launch at login"
    QGroupBox* grpUpdates = nullptr;
    QCheckBox* chkUpdates = nullptr;
    QGroupBox* grpLog = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtMonthLog = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    global& m_state;
    Prompts& m_prompts;
    QString m_programPath;
};

} // namespace moravel
