#include "ui/tfrmwarning.h"

#include "ui/placement.h"
#include "ui/texts.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

namespace moravel {

TfrmWarning::TfrmWarning(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(texts::confirmActionsCaption());
    setFixedSize(442, 207);
    setModal(true);

    frame = new QGroupBox(texts::confirmActionsFrame(), this);
    frame->setObjectName(QStringLiteral("frame"));
    frame->setGeometry(0, 0, 442, 207);

    reOne = new QTextEdit(frame);
    reOne->setObjectName(QStringLiteral("reOne"));
    reOne->setReadOnly(true);
    reOne->setLineWrapMode(QTextEdit::NoWrap);
    reOne->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    reOne->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    reOne->setFont(font);
    reOne->document()->setDefaultFont(font);
    reOne->setGeometry(15, 32, 410, 128);

    cmdOK = new QPushButton(texts::okButton(), frame);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setGeometry(269, 166, 75, 25);
    connect(cmdOK, &QPushButton::clicked, this, &TfrmWarning::cmdOKClick);

    cmdCancel = new QPushButton(texts::cancelButton(), frame);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(350, 166, 75, 25);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmWarning::cmdCancelClick);
}

bool TfrmWarning::confirm(const QList<SummaryLine>& lines) {
    confirmed = false;
    setLines(lines);
    exec();
    return confirmed;
}

void TfrmWarning::setLines(const QList<SummaryLine>& lines) {
    reOne->clear();
    QTextCursor cursor(reOne->document());
    bool first = true;
    for (const SummaryLine& line : lines) {
        QTextCharFormat format;
        format.setForeground(line.colour == SummaryLine::Colour::Red ? QColor(Qt::red)
                                                                     : QColor(Qt::black));
        format.setFontWeight(line.bold ? QFont::Bold : QFont::Normal);
        if (!first) {
            cursor.insertBlock(QTextBlockFormat(), format);
        }
        cursor.insertText(line.text, format);
        first = false;
    }
}

bool TfrmWarning::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QDialog::event(event);
}

void TfrmWarning::keyPressEvent(QKeyEvent* event) {
    // Esc presses Cancel, so that every way out sets `confirmed`.
    if (event->matches(QKeySequence::Cancel)) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmWarning::showEvent(QShowEvent* event) {
    centreOnScreen(*this);
    QDialog::showEvent(event);
}

void TfrmWarning::cmdOKClick() {
    confirmed = true;
    accept();
}

void TfrmWarning::cmdCancelClick() {
    confirmed = false;
    reject();
}

void TfrmWarning::FormActivate() {
    cmdOK->setFocus();
}

} // namespace moravel
