// The host's texts and the terminal's decoding agree: every mode Hamlib can report, a range of
// frequencies and powers, what the radio could not tell and a radio gone silent all decode
// without an error box, showing what the host meant; and under a comma locale too.
#include "ModalBox.h"
#include "RadioTexts.h"
#include "TXMMBtn.h"
#include "WindowFixture.h"
#include "hostlink/DdeClientConv.h"

#include <QLocale>
#include <clocale>
#include <cmath>
#include <hamlib/rig.h>

namespace {

class HostContractTest : public WindowTest {
protected:
    // Delivers an item's text as the host conversation does; returns the error box's text.
    QString deliver(TDdeClientItem &item, const std::string &text)
    {
        QString error;
        answerNextBoxWithOk(&error);
        item.Lines =
            QStringList{QString::fromLatin1(text.c_str()).replace('\r', ' ').replace('\n', ' ')};
        emit item.OnChange();
        QCoreApplication::processEvents();
        return error;
    }
    QString status(const radiohost::RadioReading &r)
    {
        return deliver(*form->DdeClientItem2, radiohost::statusText(r));
    }

    radiohost::RadioReading reading()
    {
        radiohost::RadioReading r;
        r.frequencyHz = 14085300;
        r.mode = RIG_MODE_RTTY;
        r.markHz = 2125;
        r.shiftHz = 170;
        return r;
    }
};

// The frequency the window shows: MHz to 100 Hz, four decimals.
QString shownMegahertz(double hz)
{
    return QString::number(std::round(hz / 100) / 1e4, 'f', 4);
}

void checkFrequencies(HostContractTest &test, TForm1 &form,
                      const std::function<QString(const std::string &)> &deliver)
{
    (void)test;
    for (double hz : {135700.0, 1838170.0, 3580000.0, 7040000.0, 7040049.0, 7040051.0, 14085300.0,
                      14099999.0, 21080000.0, 28080000.0, 50300000.0, 144138000.0, 432100000.0,
                      1296200000.0, 2400050000.0, 10368100000.0}) {
        radiohost::RadioReading r;
        r.frequencyHz = hz;
        EXPECT_EQ(deliver(radiohost::frequencyText(r)), "") << hz;
        EXPECT_EQ(form.Label3->text(), shownMegahertz(hz)) << hz;
    }
}

} // namespace

TEST_F(HostContractTest, EveryModeEveryPowerAndManyFrequenciesDecodeWithoutAnError)
{
    checkFrequencies(*this, *form,
                     [&](const std::string &t) { return deliver(*form->DdeClientItem1, t); });
    radiohost::RadioReading r = reading();
    for (int bit = 0; bit < 64; ++bit) {
        r.mode = 1ULL << bit;
        if (!*rig_strrmode(rmode_t(r.mode)))
            continue;
        ASSERT_EQ(status(r), "") << rig_strrmode(rmode_t(r.mode));
        EXPECT_EQ(form->label15->text().toStdString(), radiohost::modeName(r.mode));
        EXPECT_EQ(form->Label8->text(), "170");
    }
    r.mode = RIG_MODE_RTTYR;
    for (int watts = 0; watts <= 100; ++watts) {
        r.powerWatts = watts;
        r.transmitting = watts % 2 == 0;
        ASSERT_EQ(status(r), "") << watts;
        EXPECT_EQ(form->statusPanelText(4), QString("%1 watts").arg(watts, 3, 10, QChar('0')));
        EXPECT_EQ(form->Label7->isVisible(), watts > 50 || watts == 0) << watts;
    }
    for (int shift : {170, 200, 425, 850}) {
        r.shiftHz = shift;
        ASSERT_EQ(status(r), "");
        EXPECT_EQ(form->Label8->text(), QString::number(shift));
    }
}

// What the radio could not tell reads as NA, and a silent radio as NORADIO: shown, no error.
TEST_F(HostContractTest, UnknownValuesAndASilentRadioShowWithoutAnError)
{
    radiohost::RadioReading r = reading();
    r.powerWatts = 35;
    ASSERT_EQ(status(r), "");
    r.powerWatts.reset();
    EXPECT_EQ(status(r), "");
    EXPECT_EQ(form->statusPanelText(4), "NA watts");
    EXPECT_FALSE(form->Label7->isVisible()) << "no warning from a power nobody read";
    EXPECT_EQ(deliver(*form->DdeClientItem2, radiohost::noRadioStatusText()), "");
    EXPECT_EQ(form->label15->text(), "NORADIO");
    EXPECT_TRUE(form->XMMBtn1->isHidden());
}

// Run by the comma_locale test with LC_ALL=de_DE.UTF-8: the window reads the host's numbers
// the same as anywhere.
TEST_F(HostContractTest, CommaLocaleReadsTheSameNumbers)
{
    if (qEnvironmentVariable("TOLMFSK_COMMA_LOCALE") != QLatin1String("1"))
        GTEST_SKIP() << "run by the comma_locale test";
    ASSERT_EQ(QLocale::system().decimalPoint(), QString(","))
        << "the locale is not a comma locale: " << QLocale::system().name().toStdString();
    ASSERT_STREQ(std::localeconv()->decimal_point, ",") << "de_DE.UTF-8 is not installed";
    checkFrequencies(*this, *form,
                     [&](const std::string &t) { return deliver(*form->DdeClientItem1, t); });
    radiohost::RadioReading r = reading();
    r.powerWatts = 35;
    EXPECT_EQ(status(r), "");
    EXPECT_EQ(form->statusPanelText(4), "035 watts");
}
