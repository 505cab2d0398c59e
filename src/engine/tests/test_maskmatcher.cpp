#include "engine/maskmatcher.h"

#include <QTest>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

class tst_maskmatcher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void matches_data();
    void matches();
    void hostileMask_data();
    void hostileMask();
    void malformedMask_failsWithPosition_data();
    void malformedMask_failsWithPosition();
    void starLimit_countsMergedStars_data();
    void starLimit_countsMergedStars();
    void changedMask_isReadAgain();
    void manyMasks_eachKeepsItsMeaning();
};

void tst_maskmatcher::matches_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("expected");

    // The whole name must be covered.
    QTest::newRow("empty mask, real name") << u"readme.txt"_s << QString() << false;
    QTest::newRow("empty mask, empty name") << QString() << QString() << true;
    QTest::newRow("literal") << u"readme.txt"_s << u"readme.txt"_s << true;
    QTest::newRow("literal prefix only") << u"readme.txt"_s << u"readme"_s << false;
    QTest::newRow("star matches none") << QString() << u"*"_s << true;
    QTest::newRow("star matches all") << u"any name.at all"_s << u"*"_s << true;
    QTest::newRow("*.* needs a dot") << u"Makefile"_s << u"*.*"_s << false;
    QTest::newRow("*.* with dot") << u"notes.txt"_s << u"*.*"_s << true;
    QTest::newRow("*.* leading dot") << u".profile"_s << u"*.*"_s << true;
    QTest::newRow("*.txt repeated extension") << u"a.txt.txt"_s << u"*.txt"_s << true;
    QTest::newRow("*.txt other last extension") << u"a.txt.doc"_s << u"*.txt"_s << false;
    QTest::newRow("tail longer than name") << u"xt"_s << u"*.txt"_s << false;

    // "?" is one character, except right after a star where it asks for nothing.
    QTest::newRow("? one character") << u"a1"_s << u"a?"_s << true;
    QTest::newRow("? needs a character") << u"a"_s << u"a?"_s << false;
    QTest::newRow("? before letter needs one") << u"a"_s << u"?a"_s << false;
    QTest::newRow("letter star ? matches letter") << u"a"_s << u"a*?"_s << true;
    QTest::newRow("letter star ? longer") << u"abc"_s << u"a*?"_s << true;
    QTest::newRow("star ?? dropped") << u"x"_s << u"*??x"_s << true;
    QTest::newRow("star ? star ? merged") << u"x"_s << u"*?*?x"_s << true;
    QTest::newRow("? after literal after star") << u"a"_s << u"*a?"_s << false;
    QTest::newRow("IMG_????.JPG") << u"img_0042.jpg"_s << u"IMG_????.JPG"_s << true;
    QTest::newRow("IMG_????.JPG short") << u"img_042.jpg"_s << u"IMG_????.JPG"_s << false;

    // Only a to z fold.
    QTest::newRow("case of a-z") << u"Notes.TXT"_s << u"*.txt"_s << true;
    QTest::newRow("accented letters exact") << u"\u00e9t\u00e9"_s << u"\u00c9T\u00c9"_s << false;
    QTest::newRow("accented letters same") << u"\u00e9t\u00e9"_s << u"\u00e9T\u00e9"_s << true;
    QTest::newRow("only letters fold") << u"["_s << u"{"_s << false;

    // Sets.
    QTest::newRow("set member") << u"bx"_s << u"[abc]x"_s << true;
    QTest::newRow("set non-member") << u"dx"_s << u"[abc]x"_s << false;
    QTest::newRow("set folds both ways") << u"B"_s << u"[abc]"_s << true;
    QTest::newRow("negated set member") << u"bx"_s << u"[!abc]x"_s << false;
    QTest::newRow("negated set non-member") << u"dx"_s << u"[!abc]x"_s << true;
    QTest::newRow("range") << u"Q1"_s << u"[a-z]*"_s << true;
    QTest::newRow("two ranges, gap") << u"d"_s << u"[a-ce-g]"_s << false;
    QTest::newRow("two ranges, inside") << u"F"_s << u"[a-ce-g]"_s << true;
    QTest::newRow("backward range adds nothing") << u"b"_s << u"[z-a]"_s << false;
    QTest::newRow("backward range keeps its first") << u"z"_s << u"[z-a]"_s << true;
    QTest::newRow("range from the range's end") << u"e"_s << u"[a-c-e]"_s << true;
    QTest::newRow("digits") << u"report 2020.pdf"_s << u"*[0-9][0-9][0-9][0-9].pdf"_s << true;
    QTest::newRow("star in a set is literal") << u"*"_s << u"[*]"_s << true;
    QTest::newRow("? in a set is literal") << u"x"_s << u"[?]"_s << false;
    QTest::newRow("! later in a set is literal") << u"!"_s << u"[!!]"_s << false;
    QTest::newRow("U+00FF is a member") << u"\u00ff"_s << u"[\u00ff]"_s << true;
    QTest::newRow("range clipped at U+00FF") << u"\u00ff"_s << u"[a-\u0101]"_s << true;
    QTest::newRow("above U+00FF never in set") << u"\u0101"_s << u"[a-\u0101]"_s << false;
    QTest::newRow("above U+00FF not in negated") << u"\u0101"_s << u"[!a]"_s << true;

    // A surrogate pair is one character.
    QTest::newRow("? takes a pair") << u"\U0001F600.txt"_s << u"?.txt"_s << true;
    QTest::newRow("pair as literal") << u"ab\U0001F600"_s << u"*\U0001F600"_s << true;
    QTest::newRow("pair in tail") << u"x\U0001F600y"_s << u"*?y"_s << true;
    QTest::newRow("pair counts once in tail") << u"\U0001F600y"_s << u"*??y"_s << true;
    QTest::newRow("pair is not two") << u"\U0001F600"_s << u"??"_s << false;
    QTest::newRow("negated set takes a pair") << u"\U0001F600"_s << u"[!a]"_s << true;

    // Backtracking to the latest star.
    QTest::newRow("*ab*ab") << u"abab"_s << u"*ab*ab"_s << true;
    QTest::newRow("*abc after false start") << u"ababc"_s << u"*abc"_s << true;
    QTest::newRow("a*b*c") << u"abbc"_s << u"a*b*c"_s << true;
    QTest::newRow("a*b*c fails") << u"abbcd"_s << u"a*b*c"_s << false;
    QTest::newRow("*a*b*c") << u"xaXbYc"_s << u"*a*b*c"_s << true;
    QTest::newRow("star then set") << u"file9.txt"_s << u"*[0-9].*"_s << true;
    QTest::newRow("star then literal search") << u"a-b-c.tar.gz"_s << u"*-c.*.gz"_s << true;
    // Longer runs between stars are searched another way; the same rules hold there.
    QTest::newRow("long run with set, ? and U+0101")
        << u"pre-x5Q\u0101yz-post"_s << u"*x[0-9]?\u0101yz*"_s << true;
    QTest::newRow("long run, U+0101 differs")
        << u"pre-x5Q\u0100yz-post"_s << u"*x[0-9]?\u0101yz*"_s << false;
    QTest::newRow("long run, ? takes a pair") << u"ab\U0001F600cdef"_s << u"*b?cde*"_s << true;
    QTest::newRow("long run, negated set takes U+0101")
        << u"a\u0101bcd!"_s << u"*[!x]bcd!*"_s << true;
    QTest::newRow("long run, folds a-z") << u"x-ReadMe-y"_s << u"*-readme-*"_s << true;
    QTest::newRow("long run, leftmost place") << u"abcabcabcX"_s << u"*abcabc*abcX"_s << true;
    QTest::newRow("long run, no place left") << u"abcabcab"_s << u"*abcab*abc"_s << false;
    QTest::newRow("dot search misses") << u"abc"_s << u"*.*x"_s << false;
}

void tst_maskmatcher::matches() {
    QFETCH(QString, name);
    QFETCH(QString, mask);
    QFETCH(bool, expected);
    QCOMPARE(matchesMask(name, mask), expected);
}

void tst_maskmatcher::hostileMask_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("expected");

    const QString as(10000, u'a');
    // Thirty stars: a matcher that tries every split of the name never finishes these.
    const QString stars = QString(u"*a"_s).repeated(29) + u"*b"_s;
    QTest::newRow("30 stars, no b") << as << stars << false;
    QTest::newRow("30 stars, b at the end") << as + u'b' << stars << true;
    QTest::newRow("30 stars and a set") << as << QString(u"*[a]"_s).repeated(30) + u'c' << false;
    QTest::newRow("30 stars and ?") << as << QString(u"*a?"_s).repeated(30) << true;
    // The latest star has to search the whole name, the last one with a long run each time.
    const QString stars28 = QString(u"*a"_s).repeated(28);
    QTest::newRow("search to the end") << as << stars28 + u"*b*"_s << false;
    QTest::newRow("long run at every place")
        << as << stars28 + u'*' + QString(50, u'a') + u"b*"_s << false;
    QTest::newRow("long run found at the end")
        << as + u'b' << stars28 + u'*' + QString(50, u'a') + u"b*"_s << true;
}

void tst_maskmatcher::hostileMask() {
    QFETCH(QString, name);
    QFETCH(QString, mask);
    QFETCH(bool, expected);
    QCOMPARE(matchesMask(name, mask), expected);
}

void tst_maskmatcher::malformedMask_failsWithPosition_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("message");

    QTest::newRow("set not closed") << u"[abc"_s << u"'[abc' is an invalid mask at (5)"_s;
    QTest::newRow("lone [") << u"*.["_s << u"'*.[' is an invalid mask at (4)"_s;
    QTest::newRow("[! not closed") << u"[!"_s << u"'[!' is an invalid mask at (3)"_s;
    QTest::newRow("empty set") << u"a[]"_s << u"'a[]' is an invalid mask at (3)"_s;
    QTest::newRow("empty negated set") << u"[!]"_s << u"'[!]' is an invalid mask at (3)"_s;
    QTest::newRow("range without first") << u"[-a]"_s << u"'[-a]' is an invalid mask at (2)"_s;
    QTest::newRow("negated range without first")
        << u"[!-a]"_s << u"'[!-a]' is an invalid mask at (3)"_s;
    QTest::newRow("range ends the mask") << u"[a-"_s << u"'[a-' is an invalid mask at (4)"_s;
    // The character after "-" ends the range, so this "]" closes nothing.
    QTest::newRow("range eats ]") << u"[a-]"_s << u"'[a-]' is an invalid mask at (5)"_s;
    QTest::newRow("set of characters above U+00FF")
        << u"[\u0101]"_s << u"'[\u0101]' is an invalid mask at (3)"_s;
    QTest::newRow("position counts characters")
        << u"\U0001F600["_s << u"'\U0001F600[' is an invalid mask at (3)"_s;
    QTest::newRow("percent signs kept") << u"%1[%2"_s << u"'%1[%2' is an invalid mask at (6)"_s;
    // Too many stars: the message says how many a mask may hold.
    const QString limit = u": a mask may hold at most 30 stars"_s;
    QTest::newRow("31 stars") << QString(u"*a"_s).repeated(31)
                              << u"'%1' is an invalid mask at (62)"_s.arg(
                                     QString(u"*a"_s).repeated(31)) +
                                     limit;
    QTest::newRow("31st star at the end")
        << QString(u"*a"_s).repeated(30) + u'*'
        << u"'%1' is an invalid mask at (62)"_s.arg(QString(u"*a"_s).repeated(30) + u'*') + limit;
    QTest::newRow("31st star before a set")
        << QString(u"*a"_s).repeated(30) + u"*[xy]"_s
        << u"'%1' is an invalid mask at (65)"_s.arg(QString(u"*a"_s).repeated(30) + u"*[xy]"_s) +
               limit;
}

void tst_maskmatcher::malformedMask_failsWithPosition() {
    QFETCH(QString, mask);
    QFETCH(QString, message);
    try {
        matchesMask(u"abc"_s, mask);
        QFAIL("no error for a malformed mask");
    } catch (const InvalidMask& error) {
        QCOMPARE(error.text(), message);
        QCOMPARE(QString::fromUtf8(error.what()), message);
    }
}

void tst_maskmatcher::starLimit_countsMergedStars_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("name");

    QTest::newRow("30 stars") << QString(u"*a"_s).repeated(30) << QString(30, u'a');
    QTest::newRow("60 stars in pairs") << QString(u"**a"_s).repeated(30) << QString(30, u'a');
    QTest::newRow("star ? star merges") << QString(u"*?*a"_s).repeated(30) << QString(30, u'a');
    QTest::newRow("trailing star is the 30th")
        << QString(u"*a"_s).repeated(29) + u'*' << QString(29, u'a');
}

void tst_maskmatcher::starLimit_countsMergedStars() {
    QFETCH(QString, mask);
    QFETCH(QString, name);
    QVERIFY(matchesMask(name, mask));
}

void tst_maskmatcher::changedMask_isReadAgain() {
    // Compiled masks are kept between calls; a string changed in place, at the same address and
    // with the same length, must not be taken for the mask it was.
    QString mask = QString::fromLatin1("*.txt"); // on the heap, so it changes in place
    QVERIFY(matchesMask(u"a.txt"_s, mask));
    const QChar* before = mask.constData();
    mask[2] = u'p';
    QCOMPARE(mask.constData(), before);
    QVERIFY(!matchesMask(u"a.txt"_s, mask));
    QVERIFY(matchesMask(u"a.pxt"_s, mask));
    mask[2] = u'[';
    QVERIFY_THROWS_EXCEPTION(InvalidMask, matchesMask(u"a.txt"_s, mask));
    mask[2] = u't';
    QVERIFY(matchesMask(u"a.txt"_s, mask));
}

void tst_maskmatcher::manyMasks_eachKeepsItsMeaning() {
    // More masks than are kept, in turn and over again, each checked against the name it alone
    // matches.
    QStringList masks;
    for (int i = 0; i < 300; ++i) {
        masks << u"*_%1.?xt"_s.arg(i);
    }
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < masks.size(); ++i) {
            QVERIFY(matchesMask(u"file_%1.txt"_s.arg(i), masks[i]));
            QVERIFY(!matchesMask(u"file_%1.txt"_s.arg(i + 1), masks[i]));
        }
    }
}

QTEST_APPLESS_MAIN(tst_maskmatcher)
#include "test_maskmatcher.moc"
