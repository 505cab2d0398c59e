#pragma once

#include <QString>

namespace moravel::configtexts {

// What the configuration file and the data folders tell the user. Each text is defined here
// once; the missing data folder's text lives with the log's texts (logtexts.h).

// Followed at once by the system's error code.
inline QString folderCreationFailed() {
    return QStringLiteral("Fallo creación directorio");
}
// Follow the system's error code: which folder, and why in words.
inline QString folderCreationReason(const QString& path, const QString& reason) {
    return QStringLiteral(" (\"%1\": %2)").arg(path, reason);
}
inline QString noFolderGiven() {
    return QStringLiteral(" (no folder is set)");
}
inline QString folderNotAFullPath(const QString& path) {
    return QStringLiteral(" (\"%1\" is not a full path)").arg(path);
}
// Followed at once by the source text of the line that could not be read.
inline QString xmlOpenError() {
    return QStringLiteral("Error al abrir archivo XML");
}
// Followed at once by the reason.
inline QString logReadError() {
    return QStringLiteral("Error while reading log. ");
}
inline QString configWriteError() {
    return QStringLiteral("Error while writing configuration file");
}
inline QString logWriteError() {
    return QStringLiteral("Error while writing log file");
}
// Followed at once by the reason.
inline QString archiveFolderError() {
    return QStringLiteral("Error while creating the archive folder. ");
}
// Followed at once by the reason.
inline QString configurationReadError() {
    return QStringLiteral("Error while reading configuration file. ");
}
inline QString firstRunFailed(const QString& dataFolder) {
    return dataFolder.isEmpty()
               ? QStringLiteral("Moravel found no folder for its configuration.")
               : QStringLiteral("Moravel could not set up its configuration in %1.")
                     .arg(dataFolder);
}
inline QString noDocumentsFolder() {
    return QStringLiteral("No Documents Folder found.");
}

// A file of Moravel's that could not be written, and why.
inline QString fileNotWritten(const QString& path, const QString& reason) {
    return QStringLiteral("\"%1\" could not be written: %2").arg(path, reason);
}

// Why a configuration file was refused before it was parsed.
inline QString fileTooLarge(qint64 limit) {
    return QStringLiteral("the file is larger than %1 bytes").arg(limit);
}
inline QString nestedTooDeep(int limit) {
    return QStringLiteral("elements nested deeper than %1 levels").arg(limit);
}
inline QString tooManyAttributes(int limit) {
    return QStringLiteral("an element with more than %1 attributes").arg(limit);
}
inline QString tooManyElements(qint64 limit) {
    return QStringLiteral("more than %1 elements").arg(limit);
}
inline QString notARegularFile() {
    return QStringLiteral("it is not a regular file");
}
inline QString declarationsNotAccepted() {
    return QStringLiteral("a document type with declarations of its own");
}
inline QString atLine(const QString& reason, qint64 line, qint64 column) {
    return QStringLiteral(": %1 (line %2, column %3)").arg(reason).arg(line).arg(column);
}
inline QString inFile(const QString& path) {
    return QStringLiteral(" in \"%1\"").arg(path);
}

// A text that XML 1.0 cannot hold (control characters, unpaired surrogates).
inline QString unstorableText(const QString& text) {
    return QStringLiteral("\"%1\" holds a character that the configuration file cannot store")
        .arg(text);
}

} // namespace moravel::configtexts
