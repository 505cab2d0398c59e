#pragma once

#include "platform/prompts.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace moravel {

// What the user answers, asked with Qt's message boxes and folder picker. Every box is modal
// and belongs to the owner window when one is set.
class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* owner = nullptr);

    void setOwner(QWidget* owner) { m_owner = owner; }
    QWidget* owner() const { return m_owner; }
    // The caption of the plain message box; the main window keeps it equal to its own title.
    void setApplicationTitle(const QString& title) { m_applicationTitle = title; }
    QString applicationTitle() const { return m_applicationTitle; }

    void showMessage(const QString& text) override;
    void showWarning(const QString& text) override;
    // Closing the box without an answer counts as yes; Esc gives no answer at all, so that a
    // reflex key press neither confirms nor refuses.
    bool confirmYesNo(const QString& text) override;
    bool browseForFolder(QString& folder) override;

private:
    QPointer<QWidget> m_owner;
    QString m_applicationTitle;
};

} // namespace moravel
