#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace moravel::testing {

// What became of a scheduled answer to a modal window.
struct ModalOutcome {
    bool seen = false;     // the modal window was found and handed to the answer
    bool leftOpen = false; // the answer did not close it, so it was closed by force
};

namespace detail {

inline void tryAnswer(std::weak_ptr<ModalOutcome> weakOutcome, std::function<void(QWidget&)> answer,
                      int triesLeft) {
    const std::shared_ptr<ModalOutcome> outcome = weakOutcome.lock();
    if (!outcome) {
        return; // the test that asked is over
    }
    QPointer<QWidget> window(QApplication::activeModalWidget());
    if (!window) {
        if (triesLeft > 0) {
            QTimer::singleShot(1, [weakOutcome, answer, triesLeft] {
                tryAnswer(weakOutcome, answer, triesLeft - 1);
            });
        }
        return;
    }
    outcome->seen = true;
    answer(*window);
    if (window && window->isVisible()) {
        outcome->leftOpen = true;
        if (auto* dialog = qobject_cast<QDialog*>(window.data())) {
            dialog->done(QDialog::Rejected);
        } else {
            window->close();
        }
    }
}

} // namespace detail

// Answers the next modal window from inside its own event loop: `answer` gets the window once
// it is open. A window the answer leaves open is closed by force and reported, so that no test
// ever waits on a modal window. Keep the result until the modal call has returned.
inline std::shared_ptr<ModalOutcome> answerModal(std::function<void(QWidget&)> answer) {
    auto outcome = std::make_shared<ModalOutcome>();
    std::weak_ptr<ModalOutcome> weakOutcome = outcome;
    QTimer::singleShot(0, [weakOutcome, answer] { detail::tryAnswer(weakOutcome, answer, 50); });
    return outcome;
}

} // namespace moravel::testing
