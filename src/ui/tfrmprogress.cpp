#include "ui/tfrmprogress.h"

#include "ui/placement.h"
#include "ui/texts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace moravel {

TfrmProgress::TfrmProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(texts::progressCaption());
    setFixedSize(364, 107);
    setModal(false);

    lblStatus = new QLabel(QStringLiteral("lblStatus"), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    // Keep the place of the label but never cut its text off with a larger font.
    lblStatus->setGeometry(20, 18, 329, std::max(13, lblStatus->fontMetrics().height()));

    pb = new QProgressBar(this);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setRange(0, 100);
    pb->setValue(0);
    pb->setTextVisible(false);
    pb->setGeometry(14, 37, 335, 20);

    cmdCancel = new QPushButton(texts::cancelButton(), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    cmdCancel->setGeometry(150, 67, 75, 25);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmProgress::cmdCancelClick);
}

void TfrmProgress::show() {
    m_cancelPressed = false;
    QDialog::show();
}

void TfrmProgress::hide() {
    QDialog::hide();
}

void TfrmProgress::setProgress(int position, int total) {
    // Callers never pass a total of 0; should one slip through, show an empty bar rather than
    // convert an infinite quotient.
    double percent = total > 0 ? std::floor(position * 100.0 / total) : 0.0;
    percent = std::clamp(percent, 0.0, 100.0);
    pb->setValue(static_cast<int>(percent));
    lblStatus->setText(texts::progressStatus(position, total));
    QCoreApplication::processEvents();
}

bool TfrmProgress::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QDialog::event(event);
}

void TfrmProgress::keyPressEvent(QKeyEvent* event) {
    // Esc presses Cancel; it must not reject (and so hide) the dialog as QDialog would.
    if (event->matches(QKeySequence::Cancel)) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmProgress::closeEvent(QCloseEvent* event) {
    // The window has no close button; a close forced by the window system asks to stop the
    // operation, which then hides the window itself.
    if (event->spontaneous()) {
        event->ignore();
        cmdCancel->click();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmProgress::showEvent(QShowEvent* event) {
    centreOnScreen(*this);
    QDialog::showEvent(event);
}

void TfrmProgress::cmdCancelClick() {
    m_cancelPressed = true;
}

void TfrmProgress::FormActivate() {
    m_cancelPressed = false;
}

} // namespace moravel
