#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "scriptedprompts.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <random>

using namespace moravel;
using moravel::testing::ScriptedPrompts;

namespace {

// Pieces that steer a mutated file into the corners of XML: markup, references, declarations,
// encodings.
const std::array<QByteArray, 26> tokens{
    "<",
    ">",
    "/>",
    "</HTML>",
    "<RULE action=\"2\">",
    "<CONDITION ",
    "type=\"0\" ",
    "\"",
    "'",
    "&",
    "&#",
    "&#x10FFFF;",
    "&lt;",
    "&amp;",
    ";",
    "<!--",
    "-->",
    "<![CDATA[",
    "]]>",
    "<?pi ?>",
    "<!DOCTYPE HTML [<!ENTITY e \"x\">]>",
    "xmlns:a=\"urn:a\" ",
    "a:b",
    "<?xml version=\"1.0\" encoding=\"UTF-16\"?>",
    "\xEF\xBB\xBF",
    QByteArray("\0", 1),
};

QByteArray mutate(QByteArray data, std::mt19937& random, const QByteArray& other) {
    const auto below = [&random](qsizetype n) {
        return n <= 0 ? qsizetype(0)
                      : static_cast<qsizetype>(
                            std::uniform_int_distribution<qsizetype>(0, n - 1)(random));
    };
    const int steps = 1 + static_cast<int>(below(3));
    for (int step = 0; step < steps; ++step) {
        const qsizetype at = below(data.size() + 1);
        switch (below(8)) {
        case 0: // flip a bit
            if (!data.isEmpty()) {
                data[below(data.size())] ^= static_cast<char>(1 << below(8));
            }
            break;
        case 1: // a random byte
            if (!data.isEmpty()) {
                data[below(data.size())] = static_cast<char>(below(256));
            }
            break;
        case 2:
        case 3: // a token
            data.insert(at, tokens[static_cast<std::size_t>(below(tokens.size()))]);
            break;
        case 4: // delete a range
            data.remove(at, below(64));
            break;
        case 5: // repeat a range
            if (at < data.size()) {
                const QByteArray piece = data.mid(at, 1 + below(64));
                data.insert(at, piece.repeated(1 + static_cast<int>(below(8))));
            }
            break;
        case 6: // cut off
            data.truncate(at);
            break;
        default: // splice in a piece of another document
            data.insert(at, other.mid(below(other.size()), below(200)));
            break;
        }
    }
    return data;
}

QString asciiUpper(QString text) {
    for (QChar& c : text) {
        if (c >= u'a' && c <= u'z') {
            c = QChar(static_cast<char16_t>(c.unicode() - 32));
        }
    }
    return text;
}

} // namespace

// Loads thousands of mutated configuration files under the sanitizers: each load must end with
// 0 or 1, leave the file as it was, and whatever it accepted must survive a save and a reload.
class ConfigFileMutationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mutatedFiles_neverCrashAndRoundTrip();
};

void ConfigFileMutationTest::mutatedFiles_neverCrashAndRoundTrip() {
    // Every accepted file is saved, and every save is synced to disk: on a memory file system
    // that costs nothing, so thousands of rounds stay quick.
    const QString shm = QStringLiteral("/dev/shm");
    QTemporaryDir dir(QFileInfo(shm).isDir() && QFileInfo(shm).isWritable()
                          ? shm + QStringLiteral("/moravel-mutation-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/moravel-mutation-XXXXXX"));
    QVERIFY(dir.isValid());
    FixedLocations locations;
    locations.data = dir.path();
    FixedClock clock(QDateTime(QDate(2024, 6, 9), QTime(10, 0)));
    const QString path = dir.filePath(QStringLiteral("cfg.mvk"));
    const QString log = dir.filePath(QStringLiteral("MVL.log"));
    QFile(log).open(QIODevice::WriteOnly);

    // The seeds: what the writer makes, and a hand-edited file.
    QList<QByteArray> seeds;
    {
        global state(locations, clock);
        state.rutaRepositorio = QString::fromUtf8("/home/ana/Fotos & <Música> \"2024\"");
        state.opcionRecordatorio = reminder::EveryMonday;
        state.mesesEnLog = 6;
        state.uniqueId = 4242;
        rule& move = state.newRule();
        move.action = actions::MoveToFolder;
        move.folder = QStringLiteral("/tmp/x\ty");
        move.addCondition().mask = QStringLiteral("*.[jp]?g");
        ruleCondition& size = move.addCondition();
        size.type = conditions::SizeAbove;
        size.size = 10;
        for (ConditionKind kind :
             {conditions::ModifiedBefore, conditions::AccessedBefore, conditions::IsFolder}) {
            state.newRule().addCondition().type = kind;
        }
        state.addIgnored(QStringLiteral("NOTES.TXT"));
        state.addIgnored(QString::fromUtf8("ÜBER 😀.PDF"));
        errorControl error;
        QVERIFY(state.saveConfiguration(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        seeds << file.readAll();
    }
    QFile handEdited(QStringLiteral(MORAVEL_TEST_DATA "/config/hand-edited.mvk"));
    QVERIFY(handEdited.open(QIODevice::ReadOnly));
    seeds << handEdited.readAll();

    const int iterations = qEnvironmentVariableIsSet("MORAVEL_MUTATION_ITERATIONS")
                               ? qEnvironmentVariableIntValue("MORAVEL_MUTATION_ITERATIONS")
                               : 3000;
    // A longer hunt: MORAVEL_MUTATION_ITERATIONS and MORAVEL_MUTATION_SEED.
    const auto randomSeed =
        qEnvironmentVariableIsSet("MORAVEL_MUTATION_SEED")
            ? static_cast<unsigned>(qEnvironmentVariableIntValue("MORAVEL_MUTATION_SEED"))
            : 20240609u;
    std::mt19937 random(randomSeed);
    int accepted = 0;
    for (int i = 0; i < iterations; ++i) {
        const QByteArray& seed = seeds[i % seeds.size()];
        const QByteArray bytes = mutate(seed, random, seeds[(i + 1) % seeds.size()]);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(file.write(bytes), bytes.size());
        }
        ScriptedPrompts prompts;
        global state(locations, clock);
        errorControl error;
        const int result = state.loadConfiguration(error, prompts);
        const QByteArray context = "iteration " + QByteArray::number(i) + ": " + bytes.toBase64();
        QVERIFY2(result == 0 || result == 1, context.constData());
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(file.readAll() == bytes, context.constData());
        }
        if (result == 1) {
            QVERIFY2(error.message.startsWith(QStringLiteral("Error al abrir archivo XML")),
                     context.constData());
            QVERIFY2(state.rules.empty() && state.ignoreList.isEmpty(), context.constData());
            continue;
        }
        ++accepted;
        QVERIFY2(state.saveConfiguration(error), context.constData());
        global again(locations, clock);
        QVERIFY2(again.loadConfiguration(error, prompts) == 0, context.constData());
        QVERIFY2(again.rutaRepositorio == state.rutaRepositorio, context.constData());
        QVERIFY2(again.mesesEnLog == state.mesesEnLog, context.constData());
        QVERIFY2(again.uniqueId == state.uniqueId, context.constData());
        QVERIFY2(again.rules.size() == state.rules.size(), context.constData());
        for (std::size_t r = 0; r < state.rules.size(); ++r) {
            const rule& a = *state.rules[r];
            const rule& b = *again.rules[r];
            QVERIFY2(a.action == b.action && a.conditions.size() == b.conditions.size(),
                     context.constData());
            for (std::size_t c = 0; c < a.conditions.size(); ++c) {
                QVERIFY2(a.conditions[c]->type == b.conditions[c]->type, context.constData());
            }
        }
        QStringList upper;
        for (const QString& entry : state.ignoreList) {
            upper << asciiUpper(entry);
        }
        QVERIFY2(again.ignoreList == upper, context.constData());
    }
    // The mutations must reach both outcomes, or the test says little.
    qInfo("%d of %d mutated files were accepted", accepted, iterations);
    QVERIFY(accepted > iterations / 20);
    QVERIFY(accepted < iterations - iterations / 20);
}

QTEST_GUILESS_MAIN(ConfigFileMutationTest)
#include "test_configfile_mutation.moc"
