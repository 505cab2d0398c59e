#pragma once

#include <QTextStream>

namespace moravel {

class Clock;
class Locations;
class Prompts;
class UpdateService;
class UrlOpener;

// What a command works with, handed down from main(): the output streams, the folders, the
// clock and the way to ask the user. Tests build their own with string buffers and temporary
// folders.
class CliEnvironment {
public:
    CliEnvironment(QTextStream& outStream, QTextStream& errStream, const Locations& folders,
                   const Clock& now, Prompts& answers)
        : out(outStream), err(errStream), locations(folders), clock(now), prompts(answers) {}

    QTextStream& out; // results: the table or the JSON document
    QTextStream& err; // errors and hints
    const Locations& locations;
    const Clock& clock;
    Prompts& prompts;
    bool stdoutIsTerminal = false;
    bool stdinIsTerminal = false;
    bool stderrIsTerminal = false; // a progress bar is drawn there only then
    // The update check after `clean`: unset, the build's own update host and xdg-open; tests
    // point them at a server and a recorder of their own.
    const UpdateService* updateService = nullptr;
    UrlOpener* urlOpener = nullptr;
};

// Exit status of moravel-cli.
namespace exitstatus {
inline constexpr int Success = 0;
inline constexpr int Failure = 1; // a failure, or a refusal
inline constexpr int Usage = 2;   // wrong usage; the usage text was printed
} // namespace exitstatus

} // namespace moravel
