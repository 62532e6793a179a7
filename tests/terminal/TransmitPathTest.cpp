// The transmit window and transmit control: one SendText per typed character, the TCP link's
// characters shown and passed on, and the commands of the buttons, the menu and F5 to F8.
#include "TXMMBtn.h"
#include "TXMMT.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTest>

class TransmitPathTest : public WindowTest {
protected:
    void typeInTransmit()
    {
        form->activateWindow();
        form->Transmit->setFocus();
        engine->log.clear();
    }
};

TEST_F(TransmitPathTest, TypedLettersAreCapitalsEachSentAlone)
{
    typeInTransmit();
    QTest::keyClicks(form->Transmit, "cq");
    EXPECT_EQ(form->Transmit->toPlainText(), "CQ");
    EXPECT_EQ(engine->log, QStringList({R"(XMMR.SendText("C"))", R"(XMMR.SendText("Q"))"}));
}

TEST_F(TransmitPathTest, EnterSendsCarriageReturnAloneAndBackspaceEight)
{
    typeInTransmit();
    QTest::keyClicks(form->Transmit, "ab");
    QTest::keyClick(form->Transmit, Qt::Key_Backspace);
    QTest::keyClick(form->Transmit, Qt::Key_Return);
    QTest::keyClicks(form->Transmit, "1");
    EXPECT_EQ(form->Transmit->toPlainText(), "A\n1");
    EXPECT_EQ(engine->log, QStringList({R"(XMMR.SendText("A"))", R"(XMMR.SendText("B"))",
                                        "XMMR.SendText(\"\b\")", "XMMR.SendText(\"\r\")",
                                        R"(XMMR.SendText("1"))"}));
}

TEST_F(TransmitPathTest, KeysThatTypeNoCharacterSendNothing)
{
    typeInTransmit();
    QTest::keyClicks(form->Transmit, "x");
    engine->log.clear();
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Delete, Qt::Key_Up, Qt::Key_Home})
        QTest::keyClick(form->Transmit, key);
    EXPECT_TRUE(engine->log.isEmpty()) << engine->log.join(", ").toStdString();
}

TEST_F(TransmitPathTest, PastedTextIsShownButOnlyTheControlCodeIsSent)
{
    typeInTransmit();
    QApplication::clipboard()->setText("ryry");
    QTest::keyClick(form->Transmit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->Transmit->toPlainText(), "ryry");
    EXPECT_EQ(engine->log, QStringList({"XMMR.SendText(\"\x16\")"}));
}

TEST_F(TransmitPathTest, TcpCrLfMakesOneLineBreakAndBothArePassedOnToIndexOne)
{
    for (int code : {int('D'), int('E'), 13, 10, int('K')})
        emit form->XMMT1->OnCharRcvd(2, std::int16_t(code));
    EXPECT_EQ(form->Transmit->toPlainText(), "DE\nK");
    EXPECT_EQ(engine->log, QStringList({"XMMT1.SendChar(1, 68)", "XMMT1.SendChar(1, 69)",
                                        "XMMT1.SendChar(1, 13)", "XMMT1.SendChar(1, 10)",
                                        "XMMT1.SendChar(1, 75)"}));
}

TEST_F(TransmitPathTest, TcpPttEventCaptionsTxOffAsTx)
{
    emit form->XMMT1->OnPttEvent(3, 0);
    EXPECT_EQ(form->XMMBtn13->Caption(), "TX");
}

TEST_F(TransmitPathTest, TxAndTxOffSendTheirCommandsAndReleaseEachOther)
{
    const QStringList tx = {"XMMR.SetOption(1)", "XMMR.PostCommand(3, 2)",
                            "XMMBtn13.State := false"};
    QTest::mouseClick(form->XMMBtn12, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(engine->log, tx);
    EXPECT_EQ(form->focusWidget(), form->Transmit);
    QTest::mouseClick(form->XMMBtn12, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(engine->log, tx + tx);

    engine->log.clear();
    QTest::mouseClick(form->XMMBtn13, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(engine->log, QStringList({"XMMR.PostCommand(3, 1)", "XMMBtn12.State := false"}));
    EXPECT_FALSE(form->XMMBtn12->State());
}

TEST_F(TransmitPathTest, ButtonsSendTheTransmitControlValues)
{
    form->Button5->click();
    form->Button8->click();
    form->Button9->click();
    form->Button10->click();
    EXPECT_EQ(engine->log, QStringList({"XMMR.PostCommand(3, 0)", "XMMR.PostCommand(3, 1)",
                                        "XMMR.PostCommand(3, 3)", "XMMR.PostCommand(3, 4)"}));
}

TEST_F(TransmitPathTest, ClearEmptiesTheWindowThenTheBufferButClearTxWindowOnlyTheWindow)
{
    form->Transmit->setPlainText("RYRY");
    form->Button6->click();
    EXPECT_EQ(form->Transmit->toPlainText(), "");
    EXPECT_EQ(engine->log, QStringList({"XMMR.PostCommand(3, 4)"}));

    form->Transmit->setPlainText("RYRY");
    engine->log.clear();
    form->ClearTXWindow1->trigger();
    EXPECT_EQ(form->Transmit->toPlainText(), "");
    EXPECT_TRUE(engine->log.isEmpty());
}

TEST_F(TransmitPathTest, FunctionKeysInTheTransmitWindowDoExactlyWhatTheirButtonsDo)
{
    typeInTransmit();
    QTest::keyClick(form->Transmit, Qt::Key_F5);
    QTest::keyClick(form->Transmit, Qt::Key_F6);
    QTest::keyClick(form->Transmit, Qt::Key_F7);
    QTest::keyClick(form->Transmit, Qt::Key_F8);
    EXPECT_EQ(engine->log, QStringList({"XMMR.PostCommand(3, 0)", "XMMR.PostCommand(3, 1)",
                                        "XMMR.PostCommand(3, 3)", "XMMR.PostCommand(3, 4)"}));
    EXPECT_EQ(form->Transmit->toPlainText(), "");

    // With the modifier keys they are not the shortcuts.
    engine->log.clear();
    QTest::keyClick(form->Transmit, Qt::Key_F5, Qt::ShiftModifier);
    QTest::keyClick(form->Transmit, Qt::Key_F6, Qt::ControlModifier);
    EXPECT_TRUE(engine->log.isEmpty());
}

TEST_F(TransmitPathTest, FunctionKeysWorkWhereverTheFocusIs)
{
    form->activateWindow();
    form->Edit2->setFocus();
    engine->log.clear();
    QTest::keyClick(form->Edit2, Qt::Key_F7);
    form->Button3->setFocus();
    QTest::keyClick(form->Button3, Qt::Key_F8);
    EXPECT_EQ(engine->log, QStringList({"XMMR.PostCommand(3, 3)", "XMMR.PostCommand(3, 4)"}));
}
