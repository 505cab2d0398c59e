#pragma once

#include <QString>

namespace moravel::clitexts {

// What moravel-cli itself tells the user. Each text is defined here once.

inline QString programName() {
    return QStringLiteral("moravel-cli");
}
inline QString usage(const QString& synopsis) {
    return QStringLiteral("Usage: moravel-cli ") + synopsis;
}
inline QString unknownCommand(const QString& command) {
    return QStringLiteral("Unknown command '%1'.").arg(command);
}
inline QString missingCommand() {
    return QStringLiteral("No command given.");
}
inline QString unexpectedArgument(const QString& argument) {
    return QStringLiteral("Unexpected argument '%1'.").arg(argument);
}
inline QString seeHelp() {
    return QStringLiteral("Run 'moravel-cli --help' for the commands and their options.");
}
inline QString warningPrefix() {
    return QStringLiteral("Warning: ");
}
inline QString askYesNo() {
    return QStringLiteral(" [y/N] ");
}
inline QString noTerminalAnswersNo() {
    return QStringLiteral("N (no terminal to ask)");
}

inline QString actionCount(const QString& actionName, int count) {
    return QStringLiteral("%1: %2").arg(actionName, QString::number(count));
}

// `log`
inline QString showingFirst(int shown) {
    return QStringLiteral("Showing first %1 items, run again with --all to show all").arg(shown);
}

} // namespace moravel::clitexts
