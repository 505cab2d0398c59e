#include "ui/tfrmmaskhelp.h"

#include "ui/placement.h"
#include "ui/texts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace moravel {

TfrmMaskHelp::TfrmMaskHelp(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(texts::maskHelpCaption());
    setModal(true);
    resize(413, 285);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 15, 6, 6);
    // The examples stand indented under the two lines that introduce them.
    const auto addLabel = [&](const QString& name, const QString& text, int indent) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        label->setWordWrap(true);
        label->setContentsMargins(indent, 0, 0, 0);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
        return label;
    };
    Label1 = addLabel(QStringLiteral("Label1"), texts::maskHelpIntro(), 0);
    Label2 = addLabel(QStringLiteral("Label2"), texts::maskHelpStar(), 27);
    Label3 = addLabel(QStringLiteral("Label3"), texts::maskHelpExtension(), 55);
    Label4 = addLabel(QStringLiteral("Label4"), texts::maskHelpStart(), 55);
    Label5 = addLabel(QStringLiteral("Label5"), texts::maskHelpInside(), 55);
    layout->addStretch();

    Button1 = new QPushButton(texts::closeButton(), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAccessibleName(texts::closeButton());
    // Enter presses it as the default button, and Esc closes the dialog as its cancel button.
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TfrmMaskHelp::Button1Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    layout->addLayout(buttons);
}

void TfrmMaskHelp::showEvent(QShowEvent* event) {
    centreOnScreen(*this);
    QDialog::showEvent(event);
}

void TfrmMaskHelp::Button1Click() {
    accept();
}

} // namespace moravel
