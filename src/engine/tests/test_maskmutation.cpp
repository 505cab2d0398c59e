#include "engine/maskmatcher.h"
#include "maskreference.h"

#include <QRandomGenerator>
#include <QTest>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

// Masks and names of every shape, made by mutating ordinary ones with a seeded generator, so a
// failure can be replayed: set MORAVEL_MUTATION_SEED to the seed the failure message gives.
class tst_maskmutation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mutatedInputs_agreeWithReference();

private:
    QString mutate(QString text);
    QString randomText(int maxLength);
    QRandomGenerator m_random;
};

namespace {

// Pieces the mutations draw from: the mask syntax, letters in both cases, characters around
// the ends of the folded range and of the set members, surrogates whole and broken.
const QStringList pieces = {
    u"*"_s,
    u"?"_s,
    u"["_s,
    u"]"_s,
    u"!"_s,
    u"-"_s,
    u"a"_s,
    u"A"_s,
    u"z"_s,
    u"Z"_s,
    u"."_s,
    u"0"_s,
    u"9"_s,
    u"@"_s,
    u"`"_s,
    u"{"_s,
    u" "_s,
    u"\u00e9"_s,
    u"\u00c9"_s,
    u"\u00ff"_s,
    u"\u0100"_s,
    u"\u0101"_s,
    u"\U0001F600"_s,
    QString(QChar(0xD83D)),
    QString(QChar(0xDE00)),
    QString(QChar(0)),
    u"[a-z]"_s,
    u"[!.]"_s,
    u"**"_s,
    u"*?"_s,
    u"txt"_s,
};

const QStringList seedMasks = {
    u"*.txt"_s,         u"*.*"_s, u"IMG_????.JPG"_s, u"[a-c]*"_s, u"*[!0-9]"_s, u"*.lnk"_s,
    u"*report*2020*"_s, u"?*"_s,  u"[!a-z]?*.d?c"_s, u""_s,       u"*a*b*c*"_s, u"[ab-]x"_s,
};

const QStringList seedNames = {
    u"readme.txt"_s, u"IMG_0042.jpg"_s, u"Report 2020 final.docx"_s, u".profile"_s,
    u"Makefile"_s,   u"abc"_s,          u"\u00e9t\u00e9.txt"_s,      u"\U0001F600.png"_s,
    u"New Folder"_s, u"aaaaaaaaab"_s,
};

} // namespace

QString tst_maskmutation::randomText(int maxLength) {
    QString text;
    const int length = m_random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i) {
        text += pieces[m_random.bounded(int(pieces.size()))];
    }
    return text;
}

QString tst_maskmutation::mutate(QString text) {
    const int steps = 1 + m_random.bounded(4);
    for (int s = 0; s < steps; ++s) {
        const int at = text.isEmpty() ? 0 : m_random.bounded(int(text.size()) + 1);
        switch (m_random.bounded(5)) {
        case 0: // insert a piece
            text.insert(at, pieces[m_random.bounded(int(pieces.size()))]);
            break;
        case 1: // delete a few code units, maybe through a surrogate pair
            text.remove(at, 1 + m_random.bounded(3));
            break;
        case 2: // replace one code unit
            if (at < text.size()) {
                text.replace(at, 1, pieces[m_random.bounded(int(pieces.size()))]);
            }
            break;
        case 3: // duplicate a stretch
            text.insert(at, text.mid(at, m_random.bounded(8)));
            break;
        default: // swap in a random tail
            text = text.left(at) + randomText(6);
            break;
        }
    }
    return text;
}

void tst_maskmutation::mutatedInputs_agreeWithReference() {
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("MORAVEL_MUTATION_SEED").toUInt(&ok);
    m_random.seed(ok ? seed : 20240611u);

    int valid = 0;
    int matched = 0;
    for (int round = 0; round < 20000; ++round) {
        QString mask = mutate(seedMasks[m_random.bounded(int(seedMasks.size()))]);
        QString name = mutate(seedNames[m_random.bounded(int(seedNames.size()))]);
        if (round % 100 == 0) {
            // Now and then something long: many stars, a long name.
            mask = mask.repeated(1 + m_random.bounded(12));
            name = name.repeated(1 + m_random.bounded(60));
        }
        const std::optional<bool> expected = reference::matches(name, mask);
        const QString context = u"seed %1, round %2, mask \"%3\", name \"%4\""_s.arg(
            QString::number(ok ? seed : 20240611u), QString::number(round), mask, name);
        try {
            const bool result = matchesMask(name, mask);
            QVERIFY2(expected.has_value(), qPrintable(u"accepted a malformed mask: "_s + context));
            QVERIFY2(result == *expected, qPrintable(u"wrong result: "_s + context));
            ++valid;
            matched += result ? 1 : 0;
        } catch (const InvalidMask& error) {
            QVERIFY2(!expected.has_value(), qPrintable(u"rejected a good mask: "_s + context));
            // Checked without a regular expression: the mask may hold broken UTF-16.
            const QString prefix = u'\'' + mask + u"' is an invalid mask at ("_s;
            QString text = error.text();
            const QString limit = u": a mask may hold at most 30 stars"_s;
            if (text.endsWith(limit)) {
                text.chop(limit.size());
            }
            QVERIFY2(text.startsWith(prefix) && text.endsWith(u')'), qPrintable(context));
            bool isNumber = false;
            const qsizetype position =
                text.mid(prefix.size(), text.size() - prefix.size() - 1).toLongLong(&isNumber);
            QVERIFY2(isNumber, qPrintable(context));
            const qsizetype characters = reference::codePoints(mask).size();
            QVERIFY2(position >= 1 && position <= characters + 1, qPrintable(context));
        }
    }
    // The generator must reach all three outcomes, or the comparison proves little.
    QVERIFY(valid > 1000);
    QVERIFY(matched > 100);
    QVERIFY(20000 - valid > 1000);
}

QTEST_APPLESS_MAIN(tst_maskmutation)
#include "test_maskmutation.moc"
