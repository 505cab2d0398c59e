#include "engine/asciicase.h"
#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "platform/prompts.h"
#include "platform/shelloperations.h"
#include "platform/validateinteger.h"
#include "storage/atomicfile.h"
#include "storage/configtexts.h"
#include "storage/global.h"
#include "storage/logtexts.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>
#include <QXmlStreamWriter>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>

namespace moravel {

namespace {

// Limits of what the reader takes. The writer's own files are far inside them (depth 3, three
// attributes to an element, one element per rule, condition and ignore entry); beyond them Qt's
// XML classes slow down quadratically (deep nesting, many attributes on one element) or take
// gigabytes of memory, so such a file is refused before it is parsed.
constexpr qint64 maxFileBytes = 16 * 1024 * 1024;
constexpr int maxDepth = 256;
constexpr int maxAttributes = 256;
constexpr qint64 maxElements = 1'000'000;
// The longest piece of an offending line that an error message quotes.
constexpr qsizetype maxQuotedLine = 200;

// The twelve settings, in the order the file holds them.
enum class Key {
    reglaCreacionCarpeta,
    rutaRepositorio,
    opcionRecordatorio,
    mesesEnLog,
    nroOperacion,
    iniciarConWindows,
    includeFolders,
    shortcutChoice,
    folderChoice,
    bigFileChoice,
    chkForUpdates,
    uniqueId,
};
constexpr std::array<QLatin1StringView, 12> keyNames{
    QLatin1StringView("reglaCreacionCarpeta"), QLatin1StringView("rutaRepositorio"),
    QLatin1StringView("opcionRecordatorio"),   QLatin1StringView("mesesEnLog"),
    QLatin1StringView("nroOperacion"),         QLatin1StringView("iniciarConWindows"),
    QLatin1StringView("includeFolders"),       QLatin1StringView("shortcutChoice"),
    QLatin1StringView("folderChoice"),         QLatin1StringView("bigFileChoice"),
    QLatin1StringView("chkForUpdates"),        QLatin1StringView("uniqueId"),
};

// A lookup result that names a folder: an empty one is a failed lookup, and a relative one
// would be taken from wherever the program happened to start.
bool isUsableFolder(const QString& folder) {
    return !folder.isEmpty() && QDir::isAbsolutePath(folder);
}

QString dataFile(const QString& folder, const char16_t* name) {
    return folder + u'/' + QString::fromUtf16(name);
}

// ---- Reading --------------------------------------------------------------------------------

// Where and why a file was refused before parsing.
struct ShapeProblem {
    qsizetype offset = 0;
    QString reason;
};

// Units of the document: bytes of an ASCII-compatible encoding, or UTF-16 code units.
template <typename Unit> class Units {
public:
    Units(const Unit* data, qsizetype size) : m_data(data), m_size(size) {}
    qsizetype size() const { return m_size; }
    char16_t at(qsizetype i) const {
        if constexpr (sizeof(Unit) == 1) {
            return static_cast<unsigned char>(m_data[i]);
        } else {
            return m_data[i];
        }
    }
    bool startsWith(qsizetype i, const char* ascii) const {
        for (; *ascii != 0; ++ascii, ++i) {
            if (i >= m_size || at(i) != static_cast<char16_t>(*ascii)) {
                return false;
            }
        }
        return true;
    }
    // Index just past the next `ascii` at or after `from`, or -1.
    qsizetype endOf(qsizetype from, const char* ascii) const {
        for (qsizetype i = from; i < m_size; ++i) {
            if (startsWith(i, ascii)) {
                return i + static_cast<qsizetype>(std::strlen(ascii));
            }
        }
        return -1;
    }

private:
    const Unit* m_data;
    qsizetype m_size;
};

// A light scan of the markup that bounds nesting depth, attributes per element and the number
// of elements, and refuses a document type with an internal subset: entity declarations are
// what expansion tricks are made of, and the writer never makes one. It does not judge
// well-formedness: where the markup breaks off it stops and leaves that to the parser.
template <typename Unit> std::optional<ShapeProblem> checkShape(const Units<Unit>& u) {
    int depth = 0;
    qint64 elements = 0;
    qsizetype i = 0;
    const qsizetype n = u.size();
    while (i < n) {
        if (u.at(i) != u'<') {
            ++i;
            continue;
        }
        const qsizetype start = i;
        if (u.startsWith(i, "<!--")) {
            i = u.endOf(i + 4, "-->");
        } else if (u.startsWith(i, "<![CDATA[")) {
            i = u.endOf(i + 9, "]]>");
        } else if (u.startsWith(i, "<?")) {
            i = u.endOf(i + 2, "?>");
        } else {
            const bool declaration = u.startsWith(i, "<!");
            const bool endTag = u.startsWith(i, "</");
            int attributes = 0;
            char16_t quote = 0;
            qsizetype j = i + 1;
            for (; j < n; ++j) {
                const char16_t c = u.at(j);
                if (quote != 0) {
                    if (c == quote) {
                        quote = 0;
                    }
                } else if (c == u'"' || c == u'\'') {
                    quote = c;
                } else if (c == u'>') {
                    break;
                } else if (c == u'=') {
                    ++attributes;
                } else if (c == u'[' && declaration) {
                    return ShapeProblem{start, configtexts::declarationsNotAccepted()};
                } else if (c == u'<') {
                    break; // broken markup: the parser will say so
                }
            }
            if (j >= n || u.at(j) != u'>') {
                return std::nullopt;
            }
            if (!declaration) {
                if (endTag) {
                    depth = depth > 0 ? depth - 1 : 0;
                } else {
                    if (attributes > maxAttributes) {
                        return ShapeProblem{start, configtexts::tooManyAttributes(maxAttributes)};
                    }
                    if (++elements > maxElements) {
                        return ShapeProblem{start, configtexts::tooManyElements(maxElements)};
                    }
                    if (u.at(j - 1) != u'/' && ++depth > maxDepth) {
                        return ShapeProblem{start, configtexts::nestedTooDeep(maxDepth)};
                    }
                }
            }
            i = j + 1;
        }
        if (i < 0) {
            return std::nullopt; // an unterminated comment, section or instruction
        }
    }
    return std::nullopt;
}

// The document as the parser gets it: the bytes themselves for UTF-8 and the other encodings
// that keep markup in single bytes, or decoded text for UTF-16 and UTF-32, whose markup the
// byte scan could not see.
struct Source {
    QByteArray bytes;
    QString text;
    bool decoded = false;
};

Source sourceOf(const QByteArray& bytes) {
    Source source;
    const auto encoding = QStringConverter::encodingForData(bytes, u'<');
    if (encoding && *encoding != QStringConverter::Utf8 && *encoding != QStringConverter::Latin1 &&
        *encoding != QStringConverter::System) {
        QStringDecoder decoder(*encoding);
        source.text = decoder(bytes);
        source.decoded = true;
    } else {
        source.bytes = bytes;
    }
    return source;
}

// Line `line` (1-based) of the document, as text.
QString lineOf(const Source& source, qint64 line) {
    const auto pick = [line](const auto& all, auto separator) {
        qsizetype begin = 0;
        for (qint64 l = 1; l < line; ++l) {
            const qsizetype next = all.indexOf(separator, begin);
            if (next < 0) {
                return all.sliced(all.size());
            }
            begin = next + 1;
        }
        qsizetype end = all.indexOf(separator, begin);
        if (end < 0) {
            end = all.size();
        }
        if (end > begin && all.at(end - 1) == static_cast<decltype(separator)>('\r')) {
            --end;
        }
        return all.sliced(begin, end - begin);
    };
    if (source.decoded) {
        return pick(source.text, u'\n');
    }
    return QString::fromUtf8(pick(source.bytes, '\n'));
}

// The offending line as a message quotes it: at most `maxQuotedLine` characters around the
// column, with control characters (a binary file's) shown as replacement characters.
QString quotedLine(QString line, qint64 column) {
    if (line.size() > maxQuotedLine) {
        const qsizetype from = std::clamp<qsizetype>(
            static_cast<qsizetype>(column) - 1 - maxQuotedLine / 2, 0, line.size() - maxQuotedLine);
        line = (from > 0 ? QStringLiteral("…") : QString()) + line.sliced(from, maxQuotedLine) +
               (from + maxQuotedLine < line.size() ? QStringLiteral("…") : QString());
    }
    // Nor may a file turn the direction of the message's text.
    for (QChar& c : line) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || (u >= 0x202A && u <= 0x202E) ||
            (u >= 0x2066 && u <= 0x2069)) {
            c = QChar::ReplacementCharacter;
        }
    }
    return line;
}

std::pair<qint64, qint64> lineAndColumn(const Source& source, qsizetype offset) {
    const auto count = [offset](const auto& all, auto separator) {
        qint64 line = 1;
        qsizetype lineStart = 0;
        for (qsizetype i = 0; i < offset && i < all.size(); ++i) {
            if (all.at(i) == separator) {
                ++line;
                lineStart = i + 1;
            }
        }
        return std::pair<qint64, qint64>{line, offset - lineStart + 1};
    };
    return source.decoded ? count(source.text, u'\n') : count(source.bytes, '\n');
}

// The message of a file that cannot be read: the prefix followed at once by the offending line,
// or by the reason where the line is empty (an empty file) or says nothing (a refused shape).
// After the line comes what the person needs to mend it: where, why, and which file.
QString xmlError(const Source& source, qint64 line, qint64 column, const QString& reason,
                 bool quoteLine, const QString& path) {
    const QString text = quoteLine ? quotedLine(lineOf(source, line), column) : QString();
    const QString where = configtexts::atLine(reason, line, column) + configtexts::inFile(path);
    if (!text.trimmed().isEmpty()) {
        return configtexts::xmlOpenError() + text + where;
    }
    return configtexts::xmlOpenError() + where;
}

// Parses the file into `document`, refusing shapes the parser handles badly.
bool parseDocument(const QByteArray& bytes, const QString& path, QDomDocument& document,
                   errorControl& error) {
    const Source source = sourceOf(bytes);
    const std::optional<ShapeProblem> problem =
        source.decoded ? checkShape(Units<ushort>(source.text.utf16(), source.text.size()))
                       : checkShape(Units<char>(source.bytes.constData(), source.bytes.size()));
    if (problem) {
        const auto [line, column] = lineAndColumn(source, problem->offset);
        error.message = xmlError(source, line, column, problem->reason, false, path);
        return false;
    }
    QString reason;
    int line = 0;
    int column = 0;
    const bool parsed = source.decoded
                            ? document.setContent(source.text, false, &reason, &line, &column)
                            : document.setContent(source.bytes, false, &reason, &line, &column);
    if (!parsed) {
        error.message = xmlError(source, line, column, reason, true, path);
        return false;
    }
    return true;
}

std::optional<std::int32_t> integerOf(const QString& text) {
    return parseInteger(text);
}

std::optional<std::int32_t> integerAttribute(const QDomElement& element, const QString& name,
                                             const QString& fallback) {
    return integerOf(element.hasAttribute(name) ? element.attribute(name) : fallback);
}

std::uint8_t low8(std::int32_t value) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFFu);
}

// Every element below `root`, in document order, without recursion.
template <typename Visit> void forEachDescendant(const QDomElement& root, Visit visit) {
    QDomNode node = root.firstChild();
    while (!node.isNull()) {
        if (node.isElement()) {
            visit(node.toElement());
        }
        QDomNode next = node.firstChild();
        while (next.isNull() && !node.isNull()) {
            next = node.nextSibling();
            if (next.isNull()) {
                node = node.parentNode();
                if (node == root) {
                    return;
                }
            }
        }
        node = next;
    }
}

// ---- Writing --------------------------------------------------------------------------------

bool isXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Whether XML 1.0 can hold the text: no control characters but tab and line ends, no unpaired
// surrogates. Qt's writer would silently drop the others.
bool xmlCanHold(const QString& text) {
    const ushort* p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = p[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            c = QChar::surrogateToUcs4(p[i], p[i + 1]);
            ++i;
        }
        if (!isXmlCharacter(c)) {
            return false;
        }
    }
    return true;
}

// ---- Loading --------------------------------------------------------------------------------

// The attribute names and defaults the reader knows.
const QString nameAttr = QStringLiteral("name");
const QString valueAttr = QStringLiteral("value");
const QString actionAttr = QStringLiteral("action");
const QString folderAttr = QStringLiteral("folder");
const QString typeAttr = QStringLiteral("type");
const QString maskAttr = QStringLiteral("mask");
const QString sizeAttr = QStringLiteral("size");
const QString timeAttr = QStringLiteral("time");
const QString fileAttr = QStringLiteral("file");
const QString missing = QStringLiteral("-");
const QString zero = QStringLiteral("0");

void readItem(global& state, const QDomElement& item) {
    const QString name = item.attribute(nameAttr, missing);
    const auto key = std::find(keyNames.begin(), keyNames.end(), name);
    if (key == keyNames.end()) {
        return;
    }
    const auto which = static_cast<Key>(key - keyNames.begin());
    if (which == Key::rutaRepositorio) {
        // A missing value would otherwise stand as the relative folder "-".
        if (item.hasAttribute(valueAttr)) {
            state.rutaRepositorio = item.attribute(valueAttr);
        }
        return;
    }
    const std::optional<std::int32_t> value = integerOf(item.attribute(valueAttr, missing));
    if (!value) {
        return; // not a number: the setting keeps what it had
    }
    switch (which) {
    case Key::reglaCreacionCarpeta:
        state.reglaCreacionCarpeta = low8(*value);
        break;
    case Key::opcionRecordatorio:
        state.opcionRecordatorio = low8(*value);
        break;
    case Key::mesesEnLog:
        state.mesesEnLog = *value;
        break;
    case Key::nroOperacion:
        state.nroOperacion = *value;
        break;
    case Key::iniciarConWindows:
        state.iniciarConWindows = low8(*value) != 0;
        break;
    case Key::includeFolders:
        state.includeFolders = low8(*value) != 0;
        break;
    case Key::shortcutChoice:
        state.shortcutChoice = low8(*value);
        break;
    case Key::folderChoice:
        state.folderChoice = low8(*value);
        break;
    case Key::bigFileChoice:
        state.bigFileChoice = low8(*value);
        break;
    case Key::chkForUpdates:
        state.chkForUpdates = low8(*value) != 0;
        break;
    case Key::uniqueId:
        state.uniqueId = *value;
        break;
    case Key::rutaRepositorio:
        break;
    }
}

void readRule(global& state, const QDomElement& element) {
    rule& r = state.newRule();
    // Anything but one of the six actions or "not chosen" stays unchosen: the plan passes
    // it over and the file keeps it. Its low byte alone could turn 260 into Delete.
    const std::int32_t action =
        integerAttribute(element, actionAttr, missing).value_or(actions::NotChosen);
    r.action = isKnownAction(action) ? static_cast<ActionKind>(action) : actions::NotChosen;
    r.folder = element.attribute(folderAttr);
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (!child.isElement()) {
            continue; // text, comments: not conditions
        }
        const QDomElement c = child.toElement();
        ruleCondition& condition = r.addCondition();
        // Likewise a type outside the five: 256 must not become a name mask.
        const std::int32_t type =
            integerAttribute(c, typeAttr, missing).value_or(conditions::Broken);
        condition.type = type >= conditions::NameMask && type <= conditions::IsFolder
                             ? static_cast<ConditionKind>(type)
                             : conditions::Broken;
        switch (condition.type) {
        case conditions::NameMask:
            condition.mask = c.attribute(maskAttr, QStringLiteral("*.*"));
            break;
        case conditions::SizeAbove:
            condition.size = integerAttribute(c, sizeAttr, zero).value_or(condition.size);
            break;
        case conditions::ModifiedBefore:
        case conditions::AccessedBefore:
            condition.time = integerAttribute(c, timeAttr, zero).value_or(condition.time);
            break;
        default:
            break;
        }
    }
}

// Takes the settings, rules and ignore entries of a parsed document into `state`.
void applyDocument(global& state, const QDomDocument& document) {
    const QString itemTag = QStringLiteral("ITEM");
    const QString ruleTag = QStringLiteral("RULE");
    const QString ignoreTag = QStringLiteral("IGNORE");
    std::vector<QDomElement> ruleElements;
    std::vector<QDomElement> ignoreElements;
    forEachDescendant(document.documentElement(), [&](const QDomElement& element) {
        const QString tag = element.tagName();
        if (tag == itemTag) {
            readItem(state, element);
        } else if (tag == ruleTag) {
            ruleElements.push_back(element);
        } else if (tag == ignoreTag) {
            ignoreElements.push_back(element);
        }
    });
    for (const QDomElement& element : ruleElements) {
        readRule(state, element);
    }
    for (const QDomElement& element : ignoreElements) {
        if (element.hasAttribute(fileAttr)) {
            state.addIgnored(element.attribute(fileAttr));
        }
    }
}

// The data folder, made (owner-only, with the freedesktop base folders above it) when it is
// missing, so that a fresh account that has no ~/.local/share yet still starts.
bool findDataFolder(const Locations& locations, QString& folder, errorControl& error) {
    folder = locations.dataFolder();
    if (!isUsableFolder(folder)) {
        error.message = logtexts::noDataFolder();
        return false;
    }
    if (QFileInfo(folder).isDir()) {
        return true;
    }
    makeOwnerOnlyFolders(QFileInfo(folder).path());
    return createFolder(folder, error);
}

// Takes over the file of an earlier version. Where "cfg.mvk" exists already the copy arrives
// beside it under a new name. The old file goes only once its copy is safe: a failed copy keeps
// it (the copy's own message tells the user why).
void migrateLegacyFile(const QString& folder, Prompts& prompts) {
    const QString legacyPath = dataFile(folder, legacyConfigFileName);
    if (!QFileInfo::exists(legacyPath)) {
        return;
    }
    ShellOperations shell(prompts);
    if (shell.shellCopy(QFile::encodeName(legacyPath),
                        QFile::encodeName(dataFile(folder, configFileName)))) {
        QFile::remove(legacyPath);
    }
}

// Reads and parses the file, refusing what is no regular file, too large or of a shape the
// parser handles badly. On failure the carrier holds the message.
bool readDocument(const QString& path, QDomDocument& document, errorControl& error) {
    const auto refuse = [&](const QString& reason) {
        error.message =
            configtexts::xmlOpenError() + QStringLiteral(": ") + reason + configtexts::inFile(path);
        return false;
    };
    // A folder or a named pipe in the file's place: opening a pipe would wait forever for a
    // writer.
    if (!QFileInfo(path).isFile()) {
        return refuse(configtexts::notARegularFile());
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return refuse(file.errorString());
    }
    // Checked before and after reading: the file may grow in between.
    QByteArray bytes;
    if (file.size() <= maxFileBytes) {
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            return refuse(file.errorString());
        }
    }
    if (file.size() > maxFileBytes || bytes.size() > maxFileBytes) {
        return refuse(configtexts::fileTooLarge(maxFileBytes));
    }
    return parseDocument(bytes, path, document, error);
}

} // namespace

// ---- global ---------------------------------------------------------------------------------

int global::loadConfiguration(errorControl& error, Prompts& prompts) {
    versionCode = ownVersionCode;
    chkForUpdates = true;

    QString folder;
    if (!findDataFolder(m_locations, folder, error)) {
        return 1;
    }
    migrateLegacyFile(folder, prompts);
    const QString path = dataFile(folder, configFileName);
    if (!QFileInfo::exists(path)) {
        return 2;
    }
    QDomDocument document;
    if (!readDocument(path, document, error)) {
        return 1;
    }
    applyDocument(*this, document);
    if (rules.empty()) {
        newRule().action = actions::Archive;
    }

    errorControl logError;
    if (!readLog(logError)) {
        prompts.showMessage(configtexts::logReadError() + logError.message);
    }
    if (opcionRecordatorio != reminder::Never) {
        nextReminder = nextReminderDate();
    }
    if (uniqueId == 0) {
        uniqueId = newUniqueId();
    }
    return 0;
}

bool global::saveConfiguration(errorControl& error) const {
    const QString folder = m_locations.dataFolder();
    if (!isUsableFolder(folder)) {
        error.message = logtexts::noDataFolder();
        return false;
    }
    // Refuse before writing anything: Qt's writer would drop what XML cannot hold and so store
    // a different folder or mask than the one the user chose.
    const auto refuse = [&error](const QString& text) {
        error.message = configtexts::unstorableText(text);
        return false;
    };
    if (!xmlCanHold(rutaRepositorio)) {
        return refuse(rutaRepositorio);
    }
    for (const auto& r : rules) {
        if (r->action == actions::MoveToFolder && !xmlCanHold(r->folder)) {
            return refuse(r->folder);
        }
        for (const auto& c : r->conditions) {
            if (c->type == conditions::NameMask && !xmlCanHold(c->mask)) {
                return refuse(c->mask);
            }
        }
    }

    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartElement(QStringLiteral("HTML"));

    const auto number = [](auto value) { return QString::number(value); };
    const auto flag = [](bool value) { return value ? QStringLiteral("1") : QStringLiteral("0"); };
    const std::array<QString, 12> values{
        number(reglaCreacionCarpeta), rutaRepositorio,        number(opcionRecordatorio),
        number(mesesEnLog),           number(nroOperacion),   flag(iniciarConWindows),
        flag(includeFolders),         number(shortcutChoice), number(folderChoice),
        number(bigFileChoice),        flag(chkForUpdates),    number(uniqueId),
    };
    const QString itemTag = QStringLiteral("ITEM");
    const QString nameAttr = QStringLiteral("name");
    const QString valueAttr = QStringLiteral("value");
    for (std::size_t i = 0; i < keyNames.size(); ++i) {
        writer.writeEmptyElement(itemTag);
        writer.writeAttribute(nameAttr, keyNames[i]);
        writer.writeAttribute(valueAttr, values[i]);
    }

    const QString ruleTag = QStringLiteral("RULE");
    const QString conditionTag = QStringLiteral("CONDITION");
    for (const auto& r : rules) {
        writer.writeStartElement(ruleTag);
        writer.writeAttribute(QStringLiteral("action"), number(r->action));
        if (r->action == actions::MoveToFolder) {
            writer.writeAttribute(QStringLiteral("folder"), r->folder);
        }
        for (const auto& c : r->conditions) {
            writer.writeEmptyElement(conditionTag);
            writer.writeAttribute(QStringLiteral("type"), number(c->type));
            switch (c->type) {
            case conditions::NameMask:
                writer.writeAttribute(QStringLiteral("mask"), c->mask);
                break;
            case conditions::SizeAbove:
                writer.writeAttribute(QStringLiteral("size"), number(c->size));
                break;
            case conditions::ModifiedBefore:
            case conditions::AccessedBefore:
                writer.writeAttribute(QStringLiteral("time"), number(c->time));
                break;
            default:
                break;
            }
        }
        writer.writeEndElement();
    }

    const QString ignoreTag = QStringLiteral("IGNORE");
    const QString fileAttr = QStringLiteral("file");
    for (const QString& entry : ignoreList) {
        // A desktop name XML cannot hold is not remembered: the item is merely planned by the
        // rules again next time, where a refused save would stop every cleaning run.
        if (!xmlCanHold(entry)) {
            continue;
        }
        writer.writeEmptyElement(ignoreTag);
        writer.writeAttribute(fileAttr, upperAscii(entry));
    }
    writer.writeEndElement();
    // Auto-formatting puts a line break before the root element and none after it.
    if (bytes.startsWith('\n')) {
        bytes.remove(0, 1);
    }
    bytes.append('\n');

    return writeFileAtomically(dataFile(folder, configFileName), bytes, error);
}

bool createDefaultConfiguration(const Locations& locations, const Clock& clock, Prompts& prompts) {
    // Without a documents folder there is no sound place for the archive; writing nothing
    // leaves the next start to try again.
    const QString documents = locations.documentsFolder();
    if (!isUsableFolder(documents)) {
        prompts.showMessage(configtexts::noDocumentsFolder());
        return false;
    }

    global defaults(locations, clock);
    defaults.reglaCreacionCarpeta = datefolder::YyMmDd;
    defaults.rutaRepositorio = documents + QStringLiteral("/My Desktop Files");
    defaults.mesesEnLog = 6;
    defaults.opcionRecordatorio = reminder::Never;
    defaults.iniciarConWindows = true;
    defaults.nroOperacion = 0;
    defaults.includeFolders = true;
    defaults.chkForUpdates = true;
    defaults.newRule().action = actions::Archive;
    defaults.uniqueId = newUniqueId();
    defaults.bigFileChoice = 2;
    defaults.shortcutChoice = 1;
    defaults.folderChoice = 1;

    errorControl error;
    if (!defaults.saveConfiguration(error)) {
        prompts.showMessage(configtexts::configWriteError() + QStringLiteral(": ") + error.message);
        return false;
    }
    // A log left from an earlier configuration holds the only record of where cleaned items
    // went: it is kept, never replaced by an empty one.
    const QString logPath = dataFile(locations.dataFolder(), logFileName);
    if (!QFileInfo::exists(logPath) && !defaults.writeLog(error)) {
        prompts.showMessage(configtexts::logWriteError() + QStringLiteral(": ") + error.message);
        return false;
    }
    // A fresh account may not have its documents folder yet; it is made as xdg-user-dirs would.
    if (!createFolder(documents, error) || !createFolder(defaults.rutaRepositorio, error)) {
        prompts.showMessage(configtexts::archiveFolderError() + error.message);
        return false;
    }
    return true;
}

} // namespace moravel
