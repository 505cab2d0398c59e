#include "cli/terminalprogress.h"

#include "cli/runtexts.h"
#include "cli/texts.h"

#include <QTextStream>

#include <csignal>
#include <iterator>

namespace moravel {

namespace {

volatile std::sig_atomic_t interrupted = 0;
volatile std::sig_atomic_t terminated = 0;

constexpr int caughtSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousHandlers[std::size(caughtSignals)]{};

extern "C" void onSignal(int signal) {
    if (signal == SIGINT) {
        interrupted = 1;
    } else {
        terminated = 1;
    }
}

constexpr int barCells = 30;

} // namespace

TerminalProgress::TerminalProgress(QTextStream& err, bool drawBar)
    : m_err(err), m_drawBar(drawBar) {}

TerminalProgress::~TerminalProgress() {
    clearLine();
    if (m_handlersInstalled) {
        for (std::size_t i = 0; i < std::size(caughtSignals); ++i) {
            ::sigaction(caughtSignals[i], &previousHandlers[i], nullptr);
        }
    }
}

void TerminalProgress::show() {
    interrupted = 0;
    if (!m_handlersInstalled) {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        // A question being read when Ctrl-C comes goes on being read.
        action.sa_flags = SA_RESTART;
        terminated = 0;
        m_handlersInstalled = true;
        for (std::size_t i = 0; i < std::size(caughtSignals); ++i) {
            ::sigaction(caughtSignals[i], &action, &previousHandlers[i]);
        }
    }
}

void TerminalProgress::hide() {
    clearLine();
}

void TerminalProgress::setProgress(int position, int total) {
    if (!m_drawBar || total <= 0) {
        return;
    }
    const auto percent = static_cast<int>(position * 100.0 / total);
    const int filled = percent * barCells / 100;
    const QString bar = QStringLiteral("\r[%1%2] %3 %  %4 / %5")
                            .arg(QString(filled, u'#'), QString(barCells - filled, u'.'))
                            .arg(percent, 3)
                            .arg(position)
                            .arg(total);
    m_err << bar;
    m_err.flush();
    m_barWidth = bar.size() - 1;
}

bool TerminalProgress::cancelPressed() const {
    return interrupted != 0;
}

void TerminalProgress::clearCancel() {
    interrupted = 0;
}

bool TerminalProgress::mustStop() const {
    return terminated != 0;
}

void TerminalProgress::clearLine() {
    if (m_barWidth > 0) {
        m_err << u'\r' << QString(m_barWidth, u' ') << u'\r';
        m_err.flush();
        m_barWidth = 0;
    }
}

void RunPrompts::showMessage(const QString& text) {
    m_progress.clearLine();
    m_prompts.showMessage(text);
}

void RunPrompts::showWarning(const QString& text) {
    m_progress.clearLine();
    m_prompts.showWarning(text);
}

bool RunPrompts::confirmYesNo(const QString& text) {
    m_progress.clearLine();
    if (m_answerYes) {
        m_err << text << clitexts::askYesNo() << clitexts::answeredYes() << u'\n';
        m_err.flush();
        return true;
    }
    return m_prompts.confirmYesNo(text);
}

bool RunPrompts::browseForFolder(QString& folder) {
    return m_prompts.browseForFolder(folder);
}

} // namespace moravel
