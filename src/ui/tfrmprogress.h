#pragma once

#include "platform/prompts.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace moravel {

// The small window that long operations show while they walk a list item by item. Cancel only
// raises a flag that the operation reads between two items; the window never stops anything by
// itself. One instance lives as long as the application and is shown non-modally.
class TfrmProgress final : public QDialog, public Progress {
    Q_OBJECT

public:
    explicit TfrmProgress(QWidget* parent = nullptr);

    // Shows the window without making it modal; a Cancel left over from an earlier operation is
    // forgotten even when the window system does not activate the window.
    void show() override;
    void hide() override;
    // Sets the bar to the whole-number part of position * 100 / total and the label to
    // "position / total", then lets pending events run so that a Cancel click is seen.
    void setProgress(int position, int total) override;
    bool cancelPressed() const override { return m_cancelPressed; }
    void clearCancel() override { m_cancelPressed = false; }

    QLabel* lblStatus = nullptr;
    QProgressBar* pb = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void cmdCancelClick();
    void FormActivate();

    bool m_cancelPressed = false;
};

} // namespace moravel
