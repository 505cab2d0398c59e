#include "cli/terminalprompts.h"

#include "cli/texts.h"

#include <QTextStream>

namespace moravel {

void TerminalPrompts::showMessage(const QString& text) {
    m_messages << text << u'\n';
    m_messages.flush();
}

void TerminalPrompts::showWarning(const QString& text) {
    m_messages << clitexts::warningPrefix() << text << u'\n';
    m_messages.flush();
}

bool TerminalPrompts::confirmYesNo(const QString& text) {
    m_messages << text << clitexts::askYesNo();
    if (m_answers == nullptr) {
        m_messages << clitexts::noTerminalAnswersNo() << u'\n';
        m_messages.flush();
        return false;
    }
    m_messages.flush();
    const QString answer = m_answers->readLine().trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

bool TerminalPrompts::browseForFolder(QString& /*folder*/) {
    return false;
}

} // namespace moravel
