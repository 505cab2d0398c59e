#include "modal.h"
#include "ui/qtprompts.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace moravel;
using namespace moravel::testing;
using namespace Qt::Literals::StringLiterals;

namespace {

// What a message box looked like while it was open.
struct BoxLook {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
};

BoxLook lookAt(QWidget& window) {
    BoxLook look;
    auto* box = qobject_cast<QMessageBox*>(&window);
    if (box == nullptr) {
        return look;
    }
    look.caption = box->windowTitle();
    look.text = box->text();
    look.icon = box->icon();
    for (QAbstractButton* button : box->buttons()) {
        look.buttons << button->text();
    }
    if (box->defaultButton() != nullptr) {
        look.defaultButton = box->defaultButton()->text();
    }
    return look;
}

QAbstractButton* buttonWithText(QWidget& window, const QString& text) {
    auto* box = qobject_cast<QMessageBox*>(&window);
    if (box == nullptr) {
        return nullptr;
    }
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

void click(QAbstractButton* button) {
    if (button != nullptr) {
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

} // namespace

class QtPromptsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void plainMessage_hasApplicationTitleNoIconAndOk();
    void plainMessage_followsTheApplicationTitle();
    void warning_hasWarningCaptionIconAndOk();
    void confirm_looksLikeAQuestion();
    void confirm_answers_data();
    void confirm_answers();
    void confirm_escapeGivesNoAnswer();
    void browseForFolder_opensOnTheGivenFolder();
    void browseForFolder_okGivesTheChosenFolder();
    void browseForFolder_cancelLeavesTheFolder();
};

void QtPromptsTest::plainMessage_hasApplicationTitleNoIconAndOk() {
    QtPrompts prompts;
    BoxLook look;
    auto outcome = answerModal([&](QWidget& window) {
        look = lookAt(window);
        click(buttonWithText(window, u"OK"_s));
    });
    prompts.showMessage(u"Cleaning finished"_s);
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(look.caption, u"Moravel"_s);
    QCOMPARE(look.text, u"Cleaning finished"_s);
    QCOMPARE(look.icon, QMessageBox::NoIcon);
    QCOMPARE(look.buttons, QStringList{u"OK"_s});
}

void QtPromptsTest::plainMessage_followsTheApplicationTitle() {
    QtPrompts prompts;
    prompts.setApplicationTitle(u"Moravel."_s);
    BoxLook look;
    auto outcome = answerModal([&](QWidget& window) {
        look = lookAt(window);
        QTest::keyClick(&window, Qt::Key_Return);
    });
    prompts.showMessage(u"It is time to clean your desktop."_s);
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(look.caption, u"Moravel."_s);
}

void QtPromptsTest::warning_hasWarningCaptionIconAndOk() {
    QtPrompts prompts;
    BoxLook look;
    auto outcome = answerModal([&](QWidget& window) {
        look = lookAt(window);
        click(buttonWithText(window, u"OK"_s));
    });
    prompts.showWarning(u"Please choose what to do with the file: \"a.txt\""_s);
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(look.caption, u"Warning"_s);
    QCOMPARE(look.text, u"Please choose what to do with the file: \"a.txt\""_s);
    QCOMPARE(look.icon, QMessageBox::Warning);
    QCOMPARE(look.buttons, QStringList{u"OK"_s});
}

void QtPromptsTest::confirm_looksLikeAQuestion() {
    QtPrompts prompts;
    BoxLook look;
    auto outcome = answerModal([&](QWidget& window) {
        look = lookAt(window);
        click(buttonWithText(window, u"&Yes"_s));
    });
    QVERIFY(prompts.confirmYesNo(u"Do you want to delete this rule?"_s));
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(look.caption, u"Confirm"_s);
    QCOMPARE(look.text, u"Do you want to delete this rule?"_s);
    QCOMPARE(look.icon, QMessageBox::Question);
    QCOMPARE(look.buttons, (QStringList{u"&Yes"_s, u"&No"_s}));
    QCOMPARE(look.defaultButton, u"&Yes"_s);
}

void QtPromptsTest::confirm_answers_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("expected");
    QTest::newRow("Yes") << u"yes"_s << true;
    QTest::newRow("No") << u"no"_s << false;
    QTest::newRow("Enter on the default button") << u"enter"_s << true;
    QTest::newRow("Alt+N") << u"alt-n"_s << false;
    QTest::newRow("closed without an answer") << u"close"_s << true;
}

void QtPromptsTest::confirm_answers() {
    QFETCH(QString, how);
    QFETCH(bool, expected);
    QtPrompts prompts;
    auto outcome = answerModal([&](QWidget& window) {
        if (how == u"yes"_s) {
            click(buttonWithText(window, u"&Yes"_s));
        } else if (how == u"no"_s) {
            click(buttonWithText(window, u"&No"_s));
        } else if (how == u"enter"_s) {
            QTest::keyClick(&window, Qt::Key_Return);
        } else if (how == u"alt-n"_s) {
            // Mnemonics work in the active window only.
            if (QTest::qWaitForWindowActive(&window)) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
            }
            // A mnemonic presses its button with a short animation.
            QPointer<QWidget> box(&window);
            (void)QTest::qWaitFor([&] { return !box || !box->isVisible(); });
        } else {
            window.close();
        }
    });
    QCOMPARE(prompts.confirmYesNo(u"Do you want to stop the cleaning process?"_s), expected);
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
}

void QtPromptsTest::confirm_escapeGivesNoAnswer() {
    QtPrompts prompts;
    bool openAfterEscape = false;
    auto outcome = answerModal([&](QWidget& window) {
        QTest::keyClick(&window, Qt::Key_Escape);
        openAfterEscape = window.isVisible();
        click(buttonWithText(window, u"&No"_s));
    });
    QVERIFY(!prompts.confirmYesNo(u"Do you want to delete this rule?"_s));
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QVERIFY(openAfterEscape);
}

void QtPromptsTest::browseForFolder_opensOnTheGivenFolder() {
    QTemporaryDir start;
    QVERIFY(start.isValid());
    QtPrompts prompts;
    QString title;
    QString openedOn;
    bool directoriesOnly = false;
    auto outcome = answerModal([&](QWidget& window) {
        auto* dialog = qobject_cast<QFileDialog*>(&window);
        if (dialog == nullptr) {
            return;
        }
        title = dialog->windowTitle();
        openedOn = dialog->directory().absolutePath();
        directoriesOnly = dialog->fileMode() == QFileDialog::Directory &&
                          dialog->testOption(QFileDialog::ShowDirsOnly);
        dialog->reject();
    });
    QString folder = start.path();
    prompts.browseForFolder(folder);
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(title, u"Select directory"_s);
    QCOMPARE(openedOn, start.path());
    QVERIFY(directoriesOnly);
}

void QtPromptsTest::browseForFolder_okGivesTheChosenFolder() {
    QTemporaryDir start;
    QVERIFY(start.isValid());
    const QString chosen = start.filePath(u"Photos"_s);
    QVERIFY(QDir().mkpath(chosen));
    QtPrompts prompts;
    auto outcome = answerModal([&](QWidget& window) {
        if (auto* dialog = qobject_cast<QFileDialog*>(&window)) {
            dialog->setDirectory(chosen);
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it
        }
    });
    QString folder = start.path();
    QVERIFY(prompts.browseForFolder(folder));
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(folder, chosen);
}

void QtPromptsTest::browseForFolder_cancelLeavesTheFolder() {
    QTemporaryDir start;
    QVERIFY(start.isValid());
    QVERIFY(QDir().mkpath(start.filePath(u"Photos"_s)));
    QtPrompts prompts;
    auto outcome = answerModal([&](QWidget& window) {
        if (auto* dialog = qobject_cast<QFileDialog*>(&window)) {
            dialog->setDirectory(start.filePath(u"Photos"_s));
            dialog->reject();
        }
    });
    QString folder = start.path();
    QVERIFY(!prompts.browseForFolder(folder));
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(folder, start.path());
}

QTEST_MAIN(QtPromptsTest)
#include "test_qtprompts.moc"
