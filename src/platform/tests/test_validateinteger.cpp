#include "platform/validateinteger.h"
#include "scriptedprompts.h"

#include <QTest>

#include <limits>

using namespace moravel;
using namespace Qt::Literals::StringLiterals;

class ValidateIntegerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void accepted_showsNothing();
    void rejected_showsLabelAndReturnsFalse();
};

void ValidateIntegerTest::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint32>("value");
    constexpr qint32 smallest = std::numeric_limits<qint32>::min();

    QTest::newRow("decimal") << u"42"_s << true << qint32(42);
    QTest::newRow("blank before negative") << u" -3"_s << true << qint32(-3);
    QTest::newRow("blanks before") << u"   7"_s << true << qint32(7);
    QTest::newRow("plus sign") << u"+5"_s << true << qint32(5);
    QTest::newRow("leading zeros") << u"007"_s << true << qint32(7);
    QTest::newRow("zero") << u"0"_s << true << qint32(0);
    QTest::newRow("dollar hex") << u"$1F"_s << true << qint32(31);
    QTest::newRow("0x hex, lower case") << u"0x1f"_s << true << qint32(31);
    QTest::newRow("0X hex") << u"0X1F"_s << true << qint32(31);
    QTest::newRow("negative hex") << u"-$10"_s << true << qint32(-16);
    QTest::newRow("largest") << u"2147483647"_s << true << qint32(2147483647);
    QTest::newRow("smallest") << u"-2147483648"_s << true << qint32(smallest);
    QTest::newRow("largest hex") << u"$7FFFFFFF"_s << true << qint32(2147483647);
    QTest::newRow("smallest hex") << u"-$80000000"_s << true << qint32(smallest);

    QTest::newRow("empty") << QString() << false << 0;
    QTest::newRow("tab before") << u"\t7"_s << false << 0;
    QTest::newRow("blanks only") << u"   "_s << false << 0;
    QTest::newRow("sign only") << u"-"_s << false << 0;
    QTest::newRow("fraction") << u"4.5"_s << false << 0;
    QTest::newRow("blank after") << u"12 "_s << false << 0;
    QTest::newRow("letters after") << u"12abc"_s << false << 0;
    QTest::newRow("blank between sign and digits") << u"- 3"_s << false << 0;
    QTest::newRow("two signs") << u"--3"_s << false << 0;
    QTest::newRow("dollar without digits") << u"$"_s << false << 0;
    QTest::newRow("0x without digits") << u"0x"_s << false << 0;
    QTest::newRow("hex digit in decimal") << u"1F"_s << false << 0;
    QTest::newRow("non-ASCII digit") << u"\u0663"_s << false << 0; // ARABIC-INDIC DIGIT THREE
    QTest::newRow("one above largest") << u"2147483648"_s << false << 0;
    QTest::newRow("one below smallest") << u"-2147483649"_s << false << 0;
    QTest::newRow("far too large") << u"99999999999999999999999"_s << false << 0;
    QTest::newRow("hex bit pattern of -1") << u"$FFFFFFFF"_s << false << 0;
    QTest::newRow("hex above largest") << u"0x80000000"_s << false << 0;
}

void ValidateIntegerTest::parse() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint32, value);
    const std::optional<qint32> parsed = parseInteger(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid) {
        QCOMPARE(*parsed, value);
    }
}

void ValidateIntegerTest::accepted_showsNothing() {
    testing::ScriptedPrompts prompts;
    QVERIFY(validateInteger(u" -3"_s, u"Days"_s, prompts));
    QVERIFY(prompts.everything().isEmpty());
}

void ValidateIntegerTest::rejected_showsLabelAndReturnsFalse() {
    testing::ScriptedPrompts prompts;
    QVERIFY(!validateInteger(QString(), u"log months"_s, prompts));
    QVERIFY(!validateInteger(u"12abc"_s, u"Size"_s, prompts));
    QCOMPARE(prompts.messages,
             QStringList({u"log months must be an integer"_s, u"Size must be an integer"_s}));
    QVERIFY(prompts.warnings.isEmpty());
}

QTEST_GUILESS_MAIN(ValidateIntegerTest)
#include "test_validateinteger.moc"
