#include "ui/qtprompts.h"

#include "ui/texts.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

namespace moravel {

namespace {

// A Yes/No box whose close command answers yes and whose Esc key does nothing. A plain
// QMessageBox would treat both as No.
class YesNoBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        // QMessageBox would press its escape button (No); close without any button instead.
        QDialog::closeEvent(event);
    }
};

void showOkBox(QWidget* owner, const QString& caption, QMessageBox::Icon icon,
               const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.button(QMessageBox::Ok)->setText(texts::okButton());
    box.exec();
}

} // namespace

QtPrompts::QtPrompts(QWidget* owner)
    : m_owner(owner), m_applicationTitle(texts::applicationTitle()) {}

void QtPrompts::showMessage(const QString& text) {
    showOkBox(m_owner, m_applicationTitle, QMessageBox::NoIcon, text);
}

void QtPrompts::showWarning(const QString& text) {
    showOkBox(m_owner, texts::warningCaption(), QMessageBox::Warning, text);
}

bool QtPrompts::confirmYesNo(const QString& text) {
    YesNoBox box(QMessageBox::Question, texts::confirmCaption(), text,
                 QMessageBox::Yes | QMessageBox::No, m_owner);
    QAbstractButton* yes = box.button(QMessageBox::Yes);
    QAbstractButton* no = box.button(QMessageBox::No);
    yes->setText(texts::yesButton());
    no->setText(texts::noButton());
    box.setDefaultButton(QMessageBox::Yes);
    box.exec();
    return box.clickedButton() != no;
}

bool QtPrompts::browseForFolder(QString& folder) {
    const QString chosen = QFileDialog::getExistingDirectory(m_owner, texts::selectDirectoryTitle(),
                                                             folder, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) {
        return false;
    }
    folder = QDir::cleanPath(chosen);
    return true;
}

} // namespace moravel
