#pragma once

#include "platform/prompts.h"

class QTextStream;

namespace moravel {

// What the user answers, in a terminal: every message goes to `messages` (standard error, so
// that standard output holds results alone); a question is answered on `answers` when standard
// input is a terminal, and with No otherwise, so that a script never hangs and never agrees by
// accident. There is no folder picker.
class TerminalPrompts final : public Prompts {
public:
    // `answers` is null when there is no terminal to ask.
    TerminalPrompts(QTextStream& messages, QTextStream* answers)
        : m_messages(messages), m_answers(answers) {}

    void showMessage(const QString& text) override;
    void showWarning(const QString& text) override;
    bool confirmYesNo(const QString& text) override;
    bool browseForFolder(QString& folder) override;

private:
    QTextStream& m_messages;
    QTextStream* m_answers;
};

} // namespace moravel
