// The append rule and the receive window: characters go to the very end whatever the operator
// is doing in the window, line breaks come from CR alone, and notes typed in are capitals.
#include "WindowFixture.h"
#include "terminal/AppendRule.h"

#include <QPlainTextEdit>
#include <QTest>

namespace {

QString afterCodes(std::initializer_list<int> codes, QPlainTextEdit &window)
{
    for (int code : codes)
        appendCharByRule(&window, std::int16_t(code));
    return window.toPlainText();
}

} // namespace

TEST(AppendRule, CrLfMakesOneLineBreakAndLfAloneNothing)
{
    QPlainTextEdit window;
    EXPECT_EQ(afterCodes({'R', 'Y', 13, 10, 'D', 'E'}, window), "RY\nDE");
    window.clear();
    EXPECT_EQ(afterCodes({'A', 10, 10, 'B'}, window), "AB");
}

TEST(AppendRule, TwoCrsLeaveAnEmptyLineAndCrIntoAnEmptyWindowOneBreak)
{
    QPlainTextEdit window;
    EXPECT_EQ(afterCodes({'A', 13, 13, 'B'}, window), "A\n\nB");
    window.clear();
    EXPECT_EQ(afterCodes({13}, window), "\n");
    EXPECT_EQ(afterCodes({'X'}, window), "\nX");
    EXPECT_EQ(window.document()->blockCount(), 2);
}

TEST(AppendRule, TheLowByteIsStoredAndZeroStoresNothing)
{
    QPlainTextEdit window;
    EXPECT_EQ(afterCodes({321}, window), "A");
    EXPECT_EQ(afterCodes({0, 256}, window), "A");
    EXPECT_EQ(afterCodes({0xE9}, window), QString("A") + QChar(0xE9));
    // Other control characters are stored as they come.
    EXPECT_EQ(afterCodes({7}, window).back(), QChar(7));
}

TEST(AppendRule, TheCharacterGoesToTheEndAndTheSelectionIsDroppedNotReplaced)
{
    QPlainTextEdit window;
    window.setPlainText("HELLO WORLD");
    QTextCursor selection(window.document());
    selection.setPosition(2);
    selection.setPosition(5, QTextCursor::KeepAnchor);
    window.setTextCursor(selection);

    appendCharByRule(&window, 'X');
    EXPECT_EQ(window.toPlainText(), "HELLO WORLDX");
    EXPECT_FALSE(window.textCursor().hasSelection());
    EXPECT_EQ(window.textCursor().position(), 12);

    // A caret in the middle, and a code 0: the caret still goes to the end.
    QTextCursor caret(window.document());
    caret.setPosition(3);
    window.setTextCursor(caret);
    appendCharByRule(&window, 0);
    EXPECT_EQ(window.toPlainText(), "HELLO WORLDX");
    EXPECT_EQ(window.textCursor().position(), 12);

    caret.setPosition(3);
    window.setTextCursor(caret);
    appendCharByRule(&window, 13);
    EXPECT_EQ(window.toPlainText(), "HELLO WORLDX\n");
    EXPECT_EQ(window.textCursor().position(), 13);
}

class ReceiveWindowTest : public WindowTest {};

TEST_F(ReceiveWindowTest, DecodedCharactersAppearAsTheyArrive)
{
    for (int code : {int('R'), int('Y'), 13, 10, int('D'), int('E')})
        engine->raiseChar(std::int16_t(code));
    EXPECT_EQ(form->Text->toPlainText(), "RY\nDE");
    // The last character is on screen: the caret, at the end, is in the visible part.
    EXPECT_TRUE(form->Text->viewport()->rect().contains(form->Text->cursorRect().center()));
    EXPECT_TRUE(logOf("XMMR.").isEmpty());
}

TEST_F(ReceiveWindowTest, ALongReceptionKeepsTheNewestLineInView)
{
    for (int line = 0; line < 60; ++line) {
        for (char c : QByteArray("RYRYRYRY THE QUICK BROWN FOX"))
            engine->raiseChar(c);
        engine->raiseChar(13);
        engine->raiseChar(10);
    }
    engine->raiseChar('Z');
    EXPECT_EQ(form->Text->document()->blockCount(), 61);
    EXPECT_TRUE(form->Text->viewport()->rect().contains(form->Text->cursorRect().center()));
}

TEST_F(ReceiveWindowTest, NotesTypedIntoTheWindowAreCapitalsAndNotSent)
{
    form->Text->setFocus();
    QTest::keyClicks(form->Text, "cq d");
    QTest::sendKeyEvent(QTest::Click, form->Text, Qt::Key_Eacute, QString::fromUtf8("\u00e9"),
                        Qt::NoModifier);
    EXPECT_EQ(form->Text->toPlainText(), QString::fromUtf8("CQ D\u00e9"))
        << "the accented e as typed";
    EXPECT_TRUE(logOf("XMMR.").isEmpty());
    char key = 'q';
    form->TextKeyPress(key);
    EXPECT_EQ(key, 'Q');
    key = char(0xE9);
    form->TextKeyPress(key);
    EXPECT_EQ(key, char(0xE9));
}

namespace {

// Double-clicks the character at position of the receive window, with the given keys held.
void doubleClickAt(QPlainTextEdit *window, int position, Qt::KeyboardModifiers keys = {})
{
    QTextCursor cursor(window->document());
    cursor.setPosition(position);
    const QPoint at = window->cursorRect(cursor).center() + QPoint(2, 0);
    QTest::mouseDClick(window->viewport(), Qt::LeftButton, keys, at);
}

} // namespace

// A call sign is one double-click away from STATION (and so from the macros); with Shift any
// word goes into NAME. A word that is not a call sign leaves STATION as it was.
TEST_F(ReceiveWindowTest, ADoubleClickTakesACallSignIntoStationAndWithShiftAWordIntoName)
{
    for (char c : QByteArray("CQ CQ DE DL/W1AW W1AW K\r\n599 TU NAME HANS HANS"))
        engine->raiseChar(c);
    const QString text = form->Text->toPlainText();
    form->Edit2->setText("STATION");
    doubleClickAt(form->Text, int(text.indexOf("599")) + 1);
    EXPECT_EQ(form->Edit2->text(), "STATION") << "599 is no call sign";
    doubleClickAt(form->Text, int(text.indexOf(" W1AW ")) + 2);
    EXPECT_EQ(form->Edit2->text(), "W1AW");
    doubleClickAt(form->Text, int(text.indexOf("DL/")) + 1);
    EXPECT_EQ(form->Edit2->text(), "DL/W1AW");
    doubleClickAt(form->Text, int(text.indexOf("HANS")) + 1, Qt::ShiftModifier);
    EXPECT_EQ(form->Edit3->text(), "HANS");
    EXPECT_EQ(form->Edit2->text(), "DL/W1AW") << "NAME only, with Shift";
    doubleClickAt(form->Text, int(text.indexOf("HANS")) + 1);
    EXPECT_EQ(form->Edit2->text(), "DL/W1AW") << "a name is no call sign";
    EXPECT_EQ(form->Text->toPlainText(), text) << "the received text is left as it was";
}

TEST_F(ReceiveWindowTest, ClearingEmptiesTheWindowAndTheNextCharacterComesFirst)
{
    engine->raiseChar('A');
    form->Button14->click();
    EXPECT_EQ(form->Text->toPlainText(), "");
    engine->raiseChar('B');
    EXPECT_EQ(form->Text->toPlainText(), "B");
    form->Clear2->trigger();
    EXPECT_EQ(form->Text->toPlainText(), "");
    engine->raiseChar('C');
    EXPECT_EQ(form->Text->toPlainText(), "C");
    EXPECT_TRUE(logOf("XMMR.").isEmpty());
    EXPECT_TRUE(logOf("XMMT1.").isEmpty());
}
