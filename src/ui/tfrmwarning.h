#pragma once

#include "executor/cleansummary.h"

#include <QDialog>
#include <QList>

class QGroupBox;
class QPushButton;
class QTextEdit;

namespace moravel {

// The confirmation window of the clean command: what the run is about to do, one line per
// action, with OK to go ahead and Cancel to leave everything as it is. One instance is reused.
class TfrmWarning final : public QDialog {
    Q_OBJECT

public:
    explicit TfrmWarning(QWidget* parent = nullptr);

    // Shows `lines` and waits for OK or Cancel; returns `confirmed`.
    bool confirm(const QList<SummaryLine>& lines);
    // Replaces the text of the box by `lines`, each in its colour and weight.
    void setLines(const QList<SummaryLine>& lines);

    bool confirmed = false;

    QGroupBox* frame = nullptr;
    QTextEdit* reOne = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void cmdOKClick();
    void cmdCancelClick();
    void FormActivate();
};

} // namespace moravel
