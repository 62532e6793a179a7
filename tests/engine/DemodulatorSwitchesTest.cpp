// The demodulator's toggle buttons, HAM, squelch level, baud rate, the display presets and the
// parameter read-out: the values sent and the order of the writes.
#include "TXMMBtn.h"
#include "TXMMSpec.h"
#include "WindowFixture.h"

#include <QPlainTextEdit>
#include <QSpinBox>

class DemodulatorSwitchesTest : public WindowTest {
protected:
    QStringList clickTwice(TXMMBtn *button)
    {
        engine->log.clear();
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
        return logOf("XMMR.SetSwitch");
    }
    // One click: what went to the engine, then the button's caption.
    QStringList click(TXMMBtn *button)
    {
        engine->log.clear();
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
        return logOf("XMMR.") << button->Caption();
    }
};

TEST_F(DemodulatorSwitchesTest, PlainTogglesSendTheirCodeWhenPressedAndZeroWhenReleased)
{
    const struct {
        TXMMBtn *TForm1::*button;
        int code;
    } toggles[] = {{&TForm1::XMMBtn1, 20}, {&TForm1::XMMBtn4, 260}, {&TForm1::XMMBtn5, 36},
                   {&TForm1::XMMBtn6, 12}, {&TForm1::XMMBtn7, 68},  {&TForm1::XMMBtn11, 516}};
    for (const auto &t : toggles) {
        TXMMBtn *button = form.get()->*t.button;
        const QString caption = button->Caption();
        EXPECT_EQ(clickTwice(button),
                  QStringList({QString("XMMR.SetSwitch(%1)").arg(t.code), "XMMR.SetSwitch(0)"}))
            << button->objectName().toStdString();
        EXPECT_EQ(button->Caption(), caption);
    }
}

TEST_F(DemodulatorSwitchesTest, AfcRunsTheOtherWayAndShowsItsState)
{
    EXPECT_EQ(click(form->XMMBtn2), QStringList({"XMMR.SetSwitch(0)", "AFC OFF"}));
    EXPECT_EQ(click(form->XMMBtn2), QStringList({"XMMR.SetSwitch(4)", "AFC ON"}));
}

TEST_F(DemodulatorSwitchesTest, SqlShowsItsState)
{
    EXPECT_EQ(click(form->XMMBtn3), QStringList({"XMMR.SetSwitch(132)", "SQL ON"}));
    EXPECT_EQ(click(form->XMMBtn3), QStringList({"XMMR.SetSwitch(0)", "SQL OFF"}));
}

TEST_F(DemodulatorSwitchesTest,
       NotSendsMinusEightPressedAndEightThousandOneHundredNinetySixReleased)
{
    EXPECT_EQ(clickTwice(form->XMMBtn9),
              QStringList({"XMMR.SetSwitch(-8)", "XMMR.SetSwitch(8196)"}));
}

TEST_F(DemodulatorSwitchesTest, FigAndHam)
{
    engine->log.clear();
    QTest::mouseClick(form->XMMBtn14, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(logOf("XMMR.").isEmpty());
    QTest::mouseClick(form->XMMBtn15, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(form->XMMBtn15, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(logOf("XMMR."), QStringList({"XMMR.PostCommand(12, 0)", "XMMR.PostCommand(12, 0)"}));
}

TEST_F(DemodulatorSwitchesTest, SquelchLevelSendsTheFieldInHundreds)
{
    for (int value : {0, 7, 10}) {
        form->SpinEdit1->setValue(value);
        engine->log.clear();
        form->Button17->click();
        EXPECT_EQ(engine->log, QStringList({QString("XMMR.PostCommand(15, %1)").arg(value * 100)}));
    }
    // A level above 10 cannot be typed (the 2 of "12" is refused), and SQL Level sends what
    // the field holds.
    form->SpinEdit1->setFocus();
    form->SpinEdit1->selectAll();
    QTest::keyClicks(form->SpinEdit1, "12");
    QTest::keyClick(form->SpinEdit1, Qt::Key_Return);
    engine->log.clear();
    form->Button17->click();
    EXPECT_EQ(form->SpinEdit1->text(), "1");
    EXPECT_EQ(engine->log, QStringList({"XMMR.PostCommand(15, 100)"}));
}

TEST_F(DemodulatorSwitchesTest, BaudButtons)
{
    form->Button27->click();
    form->Button28->click();
    EXPECT_EQ(engine->log, QStringList({"XMMR.PostCommand(8, 7500)", "XMMR.PostCommand(8, 4545)"}));
}

TEST_F(DemodulatorSwitchesTest, DisplayPresetsWriteInTheirOrderAndSendNothing)
{
    form->Button20->click();
    EXPECT_EQ(engine->log, QStringList({"Spectram.SpaceFreq := 2125", "Spectram.MarkFreq := 2295",
                                        "Spectram.BaseFreq := 1500", "Spectram.WidthFreq := 1670",
                                        "WaterFall.BaseFreq := 1500", "WaterFall.WidthFreq := 1670",
                                        "Spectram.Width := 209"}));
    engine->log.clear();
    form->Button15->click();
    EXPECT_EQ(engine->log, QStringList({"Spectram.SpaceFreq := 2125", "Spectram.MarkFreq := 2295",
                                        "Spectram.BaseFreq := 1500", "Spectram.WidthFreq := 1500",
                                        "WaterFall.BaseFreq := 1500", "WaterFall.WidthFreq := 1500",
                                        "Spectram.Width := 209"}));
    engine->log.clear();
    form->Button21->click();
    EXPECT_EQ(engine->log, QStringList({"Spectram.BaseFreq := 300", "Spectram.WidthFreq := 3000",
                                        "WaterFall.BaseFreq := 300", "WaterFall.WidthFreq := 3000",
                                        "Spectram.Width := 209"}));
    EXPECT_EQ(form->Spectram->width(), 209);
    // AFSK Monitor after FSK Monitor leaves the markers where FSK Monitor put them.
    EXPECT_EQ(form->Spectram->SpaceFreq(), 2125);
    EXPECT_EQ(form->Spectram->MarkFreq(), 2295);
}

TEST_F(DemodulatorSwitchesTest, RequestParametersListsTheSpectrumsSettings)
{
    form->Memo5->setPlainText("old");
    form->Button20->click();
    engine->log.clear();
    form->Button13->click();
    EXPECT_EQ(logOf("XMMR."), QStringList({"XMMR.PostCommand(7, 0)"}));
    EXPECT_EQ(form->Memo5->toPlainText(),
              "2125 Space\n2295 Mark\n0 Notch1\n0 Notch2\n1500 BaseFreq\n1670 WidthFreq");
    engine->log.clear();
    form->Button12->click();
    EXPECT_EQ(engine->log, QStringList({"XMMR.PostCommand(7, 0)"}));
}
