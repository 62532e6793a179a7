// The radio's state from the host's texts: frequency, fields, mode, shift, power and its
// warning, and the conversion errors in the application's error box.
#include "ModalBox.h"
#include "TXMMBtn.h"
#include "WindowFixture.h"
#include "app/ErrorBox.h"
#include "hostlink/DdeClientConv.h"
#include "hostlink/StatusText.h"

#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>

class StatusDecodingTest : public WindowTest {
protected:
    // Delivers a text to an item as the host conversation does; returns the error box's text.
    QString deliver(TDdeClientItem *item, const QString &text)
    {
        QString error;
        answerNextBoxWithOk(&error);
        item->Lines = QStringList{text};
        emit item->OnChange();
        QCoreApplication::processEvents();
        return error;
    }
    QString status(const QString &text) { return deliver(form->DdeClientItem2.get(), text); }
    QString frequency(const QString &text) { return deliver(form->DdeClientItem1.get(), text); }
    QStringList cells()
    {
        QStringList c;
        for (int i = 0; i < 6; ++i)
            c << (form->StringGrid1->item(0, i) ? form->StringGrid1->item(0, i)->text() : "");
        return c;
    }
};

TEST_F(StatusDecodingTest, PowerWarningFollowsTheNumberTheFieldHolds)
{
    const struct {
        const char *field;
        bool warning;
    } cases[] = {{"000", true}, {"001", false}, {"007", false}, {"050", false}, {"051", true},
                 {"100", true}, {"70", true},   {"50", false},  {"0", true}};
    for (const auto &c : cases) {
        EXPECT_EQ(status(QString("FSK 2125 2295 %1 0 0  ").arg(c.field)), "");
        EXPECT_EQ(!form->Label7->isHidden(), c.warning) << c.field;
        EXPECT_EQ(form->statusPanelText(4), QString("%1 watts").arg(c.field));
    }
    // A field with other characters shows no warning and raises no error.
    EXPECT_EQ(status("FSK 2125 2295 5W 0 0  "), "");
    EXPECT_TRUE(form->Label7->isHidden());
}

TEST_F(StatusDecodingTest, ModeShowsTheAfskButtonsOnlyForLsbInCapitals)
{
    status("LSB 2125 2295 050 0 0  ");
    EXPECT_EQ(form->label15->text(), "LSB");
    for (TXMMBtn *b : {form->XMMBtn1, form->XMMBtn5, form->XMMBtn6})
        EXPECT_FALSE(b->isHidden()) << b->objectName().toStdString();
    status("lsb 2125 2295 050 0 0  ");
    for (TXMMBtn *b : {form->XMMBtn1, form->XMMBtn5, form->XMMBtn6})
        EXPECT_TRUE(b->isHidden()) << b->objectName().toStdString();
    EXPECT_EQ(logOf("XMMBtn1.Visible"),
              QStringList({"XMMBtn1.Visible := true", "XMMBtn1.Visible := false"}));
}

TEST_F(StatusDecodingTest, SeparatorsOfAnyKindSplitAlikeAndSignsAreSeparators)
{
    status("FSK,2125::2295   050,0,0  ");
    EXPECT_EQ(cells(), QStringList({"FSK", "2125", "2295", "050", "0", "0"}));
    status("USB -1000 -1200 010 + 9  ");
    EXPECT_EQ(cells(), QStringList({"USB", "1000", "1200", "010", "9", "0"}));
    EXPECT_EQ(form->Label8->text(), "200");
    status("AM 1 2 003 5 6 7 8  ");
    EXPECT_EQ(cells(), QStringList({"AM", "1", "2", "003", "5", "6"}));
}

TEST_F(StatusDecodingTest, OnlyFieldThreeMovesTheShift)
{
    status("FSK 2125 2295 050 0 0  ");
    EXPECT_EQ(form->Label8->text(), "170");
    EXPECT_EQ(form->Label5->text(), "2125");
    status("FSK 2000 2295 050 0 0  ");
    EXPECT_EQ(form->SpinEdit3->value(), 2000);
    EXPECT_EQ(form->Label8->text(), "170");
    status("FSK 2000 2850 050 0 0  ");
    EXPECT_EQ(form->Label8->text(), "850");
}

TEST_F(StatusDecodingTest, AnUnterminatedLastFieldIsLost)
{
    status("FSK 2125 2295 030 0 0  ");
    status("USB 2125 2295 090");
    EXPECT_EQ(form->label15->text(), "USB");
    EXPECT_EQ(form->statusPanelText(4), "030 watts");
    EXPECT_TRUE(form->Label7->isHidden());
}

TEST_F(StatusDecodingTest, FrequencyIsShownInMegahertzWithFourDecimals)
{
    EXPECT_EQ(frequency("FREQ: 14.085300  "), "");
    EXPECT_EQ(form->Edit6->text(), "14085.300");
    EXPECT_EQ(form->Label3->text(), "14.0853");
    frequency("FREQ: 7.04");
    EXPECT_EQ(form->Edit6->text(), "7040.000");
    EXPECT_EQ(form->Label3->text(), "7.0400");
    frequency("3.5735"); // no colon: the text is the value
    EXPECT_EQ(form->Label3->text(), "3.5735");
    frequency("F: +1.4e1");
    EXPECT_EQ(form->Label3->text(), "14.0000");
    // Rounded to the hertz first, then to 100 Hz.
    frequency("F: 14.08505");
    EXPECT_EQ(form->Edit6->text(), "14085.050");
    EXPECT_EQ(form->Label3->text(), "14.0851");
}

TEST_F(StatusDecodingTest, FrequencyThatIsNoNumberShowsTheFloatingPointError)
{
    frequency("FREQ: 14.085300  ");
    EXPECT_EQ(frequency("FREQ: 14.08A  "), "' 14.08A  ' is not a valid floating point value");
    EXPECT_EQ(form->Edit6->text(), " 14.08A  ");
    EXPECT_EQ(form->Label3->text(), "14.0853");
    EXPECT_EQ(frequency("FREQ:  "), "'  ' is not a valid floating point value");
    // The window goes on: the next text is decoded.
    EXPECT_EQ(frequency("FREQ: 21.08"), "");
    EXPECT_EQ(form->Label3->text(), "21.0800");
}

TEST_F(StatusDecodingTest, SeparatorsOnlyBeforeAnyFullStatusShowTheIntegerError)
{
    EXPECT_EQ(status(" , : "), "'' is not a valid integer value");
    EXPECT_EQ(form->SpinEdit3->value(), 0);
    // With four fields known, the same text applies them again.
    status("FSK 2125 2295 070 0 0  ");
    form->Label7->setVisible(false);
    EXPECT_EQ(status(" ,, "), "");
    EXPECT_FALSE(form->Label7->isHidden());
}

TEST_F(StatusDecodingTest, FieldTwoThatIsNoNumberStopsBeforeTheSpinEdits)
{
    status("FSK 2125 2295 050 0 0  ");
    EXPECT_EQ(status("FSK X12 2400 050 0 0  "), "'X12' is not a valid integer value");
    EXPECT_EQ(form->SpinEdit3->value(), 2125);
    EXPECT_EQ(form->SpinEdit4->value(), 2295);
}

TEST_F(StatusDecodingTest, PttCheckBoxSwitchesTheEnginesPtt)
{
    form->CheckBox1->click();
    EXPECT_EQ(form->CheckBox1->text(), "PTT OFF");
    form->CheckBox1->click();
    EXPECT_EQ(form->CheckBox1->text(), "PTT ON");
    EXPECT_EQ(logOf("XMMR.PTT"), QStringList({"XMMR.PTT := false", "XMMR.PTT := true"}));
}

TEST(StatusText, NumbersAsTheDecodingReadsThem)
{
    EXPECT_TRUE(hostlink::IsAllDigits(""));
    EXPECT_TRUE(hostlink::IsAllDigits("0123"));
    EXPECT_FALSE(hostlink::IsAllDigits("12 "));
    EXPECT_DOUBLE_EQ(hostlink::toFloat(" -2,5 ", QLatin1Char(',')), -2.5);
    EXPECT_THROW(hostlink::toFloat("2.5", QLatin1Char(',')), ConversionError);
    EXPECT_THROW(hostlink::toFloat("1e", QLatin1Char('.')), ConversionError);
    EXPECT_THROW(hostlink::toFloat(".", QLatin1Char('.')), ConversionError);
    EXPECT_EQ(hostlink::toInteger("-42"), -42);
    EXPECT_THROW(hostlink::toInteger("99999999999"), ConversionError);
    EXPECT_THROW(hostlink::toInteger("+"), ConversionError);
    EXPECT_EQ(hostlink::fixed(7040, 3, QLatin1Char(',')), "7040,000");
    EXPECT_EQ(hostlink::statusFields("A B C"), QStringList({"A", "B"}));
}
