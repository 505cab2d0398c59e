#include "ui/ending.h"

#include "ui/texts.h"

#include <QTextStream>

namespace moravel {

namespace {
void toStandardError(const QString& text) {
    QTextStream(stderr) << texts::unshownMessage(text) << u'\n';
}
} // namespace

void EndingPrompts::showMessage(const QString& text) {
    if (m_ending.requested) {
        toStandardError(text);
        return;
    }
    m_inner.showMessage(text);
}

void EndingPrompts::showWarning(const QString& text) {
    if (m_ending.requested) {
        toStandardError(text);
        return;
    }
    m_inner.showWarning(text);
}

bool EndingPrompts::confirmYesNo(const QString& text) {
    // The only question asked while a run is under way is whether to stop it.
    return m_ending.requested || m_inner.confirmYesNo(text);
}

bool EndingPrompts::browseForFolder(QString& folder) {
    return !m_ending.requested && m_inner.browseForFolder(folder);
}

} // namespace moravel
