#pragma once

#include "engine/datetimevalue.h"
#include "engine/rule.h"
#include "storage/logline.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace moravel {

class Clock;
class Locations;
class LocaleDateTimeFormat;
class LogAppender;
namespace logtext {
class LineWriter;
}
class Prompts;
class errorControl;

using ReminderOption = std::uint8_t;
namespace reminder {
inline constexpr ReminderOption Never = 0;
inline constexpr ReminderOption EveryDay = 1;
inline constexpr ReminderOption EveryMonday = 2;
inline constexpr ReminderOption FirstOfMonth = 3;
} // namespace reminder

using DateFolderFormat = std::uint8_t;
namespace datefolder {
inline constexpr DateFolderFormat YyMmDd = 0;
inline constexpr DateFolderFormat MmDdYy = 1;
inline constexpr DateFolderFormat DdMmYy = 2;
} // namespace datefolder

inline constexpr std::int32_t ownVersionCode = 30;

// Display name of a reminder option 0..3.
QString reminderOptionName(ReminderOption option);
// A new installation id from 100 to 1,000,000,099.
std::int32_t newUniqueId();

// The application state: every setting, the rules, the ignore list and the cleaning log in
// memory. The folders and the clock it works with are handed in by the program's main().
class global {
public:
    global(const Locations& locations, const Clock& clock);
    global(const global&) = delete;
    global& operator=(const global&) = delete;
    ~global();

    const Locations& locations() const { return m_locations; }
    const Clock& clock() const { return m_clock; }

    bool firstInstance = false;
    DateFolderFormat reglaCreacionCarpeta = 0;
    QString rutaRepositorio;
    QString currentArchiveFolder;
    QStringList ignoreList;
    ReminderOption opcionRecordatorio = 0;
    std::vector<std::unique_ptr<rule>> rules;
    std::int32_t mesesEnLog = 0;
    bool iniciarConWindows = false;
    std::int32_t nroOperacion = 0;
    std::vector<std::unique_ptr<logLine>> logLines;
    DateTimeValue nextReminder = 0;
    bool startAborted = false;
    bool includeFolders = false;
    std::uint8_t shortcutChoice = 0;
    std::uint8_t folderChoice = 0;
    std::uint8_t bigFileChoice = 0;
    std::int32_t versionCode = 0;
    bool chkForUpdates = false;
    std::int32_t uniqueId = 0;

    // The next midnight on which a reminder is due, or 0 for Never (and unknown options).
    DateTimeValue nextReminderDate() const;
    rule& newRule();
    void addIgnored(const QString& name);

    // Configuration file "cfg.mvk" in the data folder: 0 read, 1 failed (message in `error`),
    // 2 no file yet. `prompts` shows a log read failure and the migration's copy errors.
    int loadConfiguration(errorControl& error, Prompts& prompts);
    bool saveConfiguration(errorControl& error) const;

    // Cleaning log "MVL.log" in the data folder. The file is only ever appended to: each record
    // reaches it as soon as its item has been cleaned, so that neither a crash nor a kill nor a
    // second Moravel costs a record, and lines this version does not read (other regional
    // settings, hand edits) stay in the file exactly as they are.
    // A new empty record at the end of `logLines`; it goes to the file with the next write.
    logLine& newLogLine();
    // Records a cleaned item under the name (its bytes) it has at its destination, and writes
    // the record to the file at once; nothing for Leave. False when the record could not be
    // written: it waits in memory for writeLog, and logWriteFailure() tells why.
    bool logAction(const QByteArray& itemName, const QString& destinationFolder, ActionKind action);
    // Reads the file into `logLines` (appending). Lines that are no records are passed over.
    bool readLog(errorControl& error);
    // Makes sure the log takes records: it read in full at start (or there was none yet) and
    // opens for appending. A run starts only then. False with the reason and path in `error`.
    bool openLog(errorControl& error);
    // Writes the records that are not in the file yet, then makes the file durable, and closes
    // it. Creates an empty log when there is none. True when the file holds every record.
    bool writeLog(errorControl& error);
    // The records made since start that are not in the file, in order.
    std::vector<const logLine*> unwrittenRecords() const;
    // Why the last record could not be written.
    QString logWriteFailure() const { return m_logWriteFailure; }
    // "MVL.log" in the data folder; empty when there is no data folder.
    QString logFilePath() const;

    // Start at login, by `iniciarConWindows`: writes the autostart entry that runs
    // `programPath`, or removes it. False, with the reason in `error`, when that failed.
    bool applyStartWithWindows(const QString& programPath, errorControl& error) const;

    // The usage summary sent with every request to the maker's sites, in hexadecimal, built
    // anew from the current state at each call.
    QString telemetryString() const;

private:
    // Writes the records made in this session that the file does not hold yet.
    bool writeRecords();

    const Locations& m_locations;
    const Clock& m_clock;
    std::unique_ptr<LogAppender> m_log;
    std::shared_ptr<const LocaleDateTimeFormat> m_lineFormat;
    std::unique_ptr<logtext::LineWriter> m_lineWriter;
    // Indexes in `logLines` of the records made in this session that the file does not hold,
    // in order.
    std::vector<std::size_t> m_unwritten;
    // Why the log could not be read at start; empty when it read in full or there was none.
    QString m_logReadFailure;
    QString m_logWriteFailure;
};

// Writes the first-run configuration, an empty log and the default archive folder. Messages
// go to `prompts`. True when all three exist afterwards.
bool createDefaultConfiguration(const Locations& locations, const Clock& clock, Prompts& prompts);

// Makes sure the folder exists, creating exactly one level. On failure the carrier holds
// "Fallo creación directorio" followed by the system's error code.
bool createFolder(const QString& path, errorControl& error);

// File names inside the data folder.
inline constexpr char16_t configFileName[] = u"cfg.mvk";
inline constexpr char16_t legacyConfigFileName[] = u"cfg.xml";
inline constexpr char16_t logFileName[] = u"MVL.log";

} // namespace moravel
