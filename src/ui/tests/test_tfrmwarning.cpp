#include "modal.h"
#include "ui/tfrmwarning.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

using namespace moravel;
using namespace moravel::testing;
using namespace Qt::Literals::StringLiterals;

namespace {

using Colour = SummaryLine::Colour;

QList<SummaryLine> deleteArchiveLeave() {
    return {{u"3 items will be deleted"_s, Colour::Red, true},
            {u"2 items will be archived"_s, Colour::Black, true},
            {u"5 items will be left on desktop"_s, Colour::Black, false}};
}

// One rendered line: its text, colour and whether every character of it is bold.
struct RenderedLine {
    QString text;
    QColor colour;
    bool bold = false;
    bool uniform = true; // one colour and weight across the line
};

QList<RenderedLine> rendered(const QTextEdit& box) {
    QList<RenderedLine> lines;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        RenderedLine line;
        line.text = block.text();
        bool first = true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const QColor colour = format.foreground().color();
            const bool bold = format.fontWeight() >= QFont::Bold;
            if (first) {
                line.colour = colour;
                line.bold = bold;
                first = false;
            } else if (colour != line.colour || bold != line.bold) {
                line.uniform = false;
            }
        }
        lines << line;
    }
    return lines;
}

} // namespace

class TfrmWarningTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void window_isAFixedDialogWithOkAndCancel();
    void setLines_rendersEachLineInItsColourAndWeight();
    void setLines_replacesThePreviousLines();
    void confirm_outcomes_data();
    void confirm_outcomes();
    void confirm_showsTheLinesCentredWithFocusOnOk();
    void confirm_isAnsweredAfreshEachTime();
};

void TfrmWarningTest::window_isAFixedDialogWithOkAndCancel() {
    TfrmWarning warning;
    QCOMPARE(warning.windowTitle(), u"Confirm actions"_s);
    QCOMPARE(warning.size(), QSize(442, 207));
    QCOMPARE(warning.minimumSize(), warning.maximumSize());
    const Qt::WindowFlags flags = warning.windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));

    QCOMPARE(warning.frame->title(),
             u"Press OK to perform the selected actions or CANCEL to abort"_s);
    QCOMPARE(warning.frame->geometry(), warning.rect());
    QVERIFY(warning.reOne->isReadOnly());
    QCOMPARE(warning.reOne->font().family(), u"Arial"_s);
    QCOMPARE(warning.reOne->font().pixelSize(), 14);
    QCOMPARE(warning.cmdOK->text(), u"OK"_s);
    QVERIFY(warning.cmdOK->isDefault());
    QCOMPARE(warning.cmdCancel->text(), u"Cancel"_s);
    QVERIFY(!warning.cmdCancel->isDefault());
}

void TfrmWarningTest::setLines_rendersEachLineInItsColourAndWeight() {
    TfrmWarning warning;
    warning.setLines(
        deleteArchiveLeave() +
        QList<SummaryLine>{{u"1 items will be moved to the recycle bin"_s, Colour::Red, true}});
    const QList<RenderedLine> lines = rendered(*warning.reOne);
    QCOMPARE(lines.size(), 4);
    const QList<QString> texts{u"3 items will be deleted"_s, u"2 items will be archived"_s,
                               u"5 items will be left on desktop"_s,
                               u"1 items will be moved to the recycle bin"_s};
    const QList<QColor> colours{Qt::red, Qt::black, Qt::black, Qt::red};
    const QList<bool> bold{true, true, false, true};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QCOMPARE(lines[i].text, texts[i]);
        QCOMPARE(lines[i].colour, colours[i]);
        QCOMPARE(lines[i].bold, bold[i]);
        QVERIFY(lines[i].uniform);
    }
}

void TfrmWarningTest::setLines_replacesThePreviousLines() {
    TfrmWarning warning;
    warning.setLines(deleteArchiveLeave());
    warning.setLines({{u"1 items will be left on desktop"_s, Colour::Black, false}});
    QCOMPARE(warning.reOne->toPlainText(), u"1 items will be left on desktop"_s);
    const QList<RenderedLine> lines = rendered(*warning.reOne);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].colour, QColor(Qt::black));
    QVERIFY(!lines[0].bold);

    warning.setLines({});
    QVERIFY(warning.reOne->toPlainText().isEmpty());
}

void TfrmWarningTest::confirm_outcomes_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("expected");
    QTest::newRow("OK") << u"ok"_s << true;
    QTest::newRow("Cancel") << u"cancel"_s << false;
    QTest::newRow("Enter") << u"enter"_s << true;
    QTest::newRow("Esc") << u"escape"_s << false;
    QTest::newRow("closed by the window system") << u"close"_s << false;
}

void TfrmWarningTest::confirm_outcomes() {
    QFETCH(QString, how);
    QFETCH(bool, expected);
    TfrmWarning warning;
    auto outcome = answerModal([&](QWidget& window) {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr) {
            focus = &window;
        }
        if (how == u"ok"_s) {
            QTest::mouseClick(warning.cmdOK, Qt::LeftButton);
        } else if (how == u"cancel"_s) {
            QTest::mouseClick(warning.cmdCancel, Qt::LeftButton);
        } else if (how == u"enter"_s) {
            QTest::keyClick(focus, Qt::Key_Return);
        } else if (how == u"escape"_s) {
            QTest::keyClick(focus, Qt::Key_Escape);
        } else {
            window.close();
        }
    });
    QCOMPARE(warning.confirm(deleteArchiveLeave()), expected);
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(warning.confirmed, expected);
    QVERIFY(!warning.isVisible());
}

void TfrmWarningTest::confirm_showsTheLinesCentredWithFocusOnOk() {
    TfrmWarning warning;
    QString shown;
    QWidget* focus = nullptr;
    QPoint centre;
    QPoint screenCentre;
    bool modal = false;
    bool active = false;
    auto outcome = answerModal([&](QWidget& window) {
        active = QTest::qWaitForWindowActive(&window);
        shown = warning.reOne->toPlainText();
        focus = QApplication::focusWidget();
        modal = QApplication::activeModalWidget() == &warning;
        centre = warning.frameGeometry().center();
        screenCentre = warning.screen()->availableGeometry().center();
        QTest::mouseClick(warning.cmdCancel, Qt::LeftButton);
    });
    warning.confirm(deleteArchiveLeave());
    QVERIFY(outcome->seen);
    QVERIFY(!outcome->leftOpen);
    QCOMPARE(shown, u"3 items will be deleted\n2 items will be archived\n"
                    u"5 items will be left on desktop"_s);
    QVERIFY(active);
    QCOMPARE(focus, warning.cmdOK);
    QVERIFY(modal);
    QVERIFY((centre - screenCentre).manhattanLength() <= 2);
}

void TfrmWarningTest::confirm_isAnsweredAfreshEachTime() {
    TfrmWarning warning;
    auto ok = answerModal([&](QWidget&) { QTest::mouseClick(warning.cmdOK, Qt::LeftButton); });
    QVERIFY(warning.confirm(deleteArchiveLeave()));
    QVERIFY(ok->seen);

    QString shown;
    auto closed = answerModal([&](QWidget& window) {
        shown = warning.reOne->toPlainText();
        window.close();
    });
    QVERIFY(!warning.confirm({{u"2 items will be archived"_s, Colour::Black, true}}));
    QVERIFY(closed->seen);
    QVERIFY(!closed->leftOpen);
    QCOMPARE(shown, u"2 items will be archived"_s);
}

QTEST_MAIN(TfrmWarningTest)
#include "test_tfrmwarning.moc"
