// The demodulator's toggle buttons, HAM, the squelch level and the baud rate, the display
// presets, and the parameter read-out.
#include "TXMMBtn.h"
#include "TXMMR.h"
#include "TXMMSpec.h"
#include "TXMMWater.h"
#include "app/RTTYMain.h"
#include "engine/EngineCommands.h"

using namespace engine;

namespace {
// The spectrum's width in the window's layout, which the presets set again.
constexpr int SpectrumWidthPixels = 209;
} // namespace

void TForm1::connectDemodulatorSwitches()
{
    bindAll<TXMMBtn>(&TXMMBtn::OnLButtonClick, {{XMMBtn1, &TForm1::XMMBtn1LButtonClick},
                                                {XMMBtn2, &TForm1::XMMBtn2LButtonClick},
                                                {XMMBtn3, &TForm1::XMMBtn3LButtonClick},
                                                {XMMBtn4, &TForm1::XMMBtn4LButtonClick},
                                                {XMMBtn5, &TForm1::XMMBtn5LButtonClick},
                                                {XMMBtn6, &TForm1::XMMBtn6LButtonClick},
                                                {XMMBtn7, &TForm1::XMMBtn7LButtonClick},
                                                {XMMBtn9, &TForm1::XMMBtn9LButtonClick},
                                                {XMMBtn11, &TForm1::XMMBtn11LButtonClick},
                                                {XMMBtn15, &TForm1::XMMBtn15LButtonClick}});
    bindAll<QPushButton>(&QPushButton::clicked, {{Button17, &TForm1::Button17Click},
                                                 {Button27, &TForm1::Button27Click},
                                                 {Button28, &TForm1::Button28Click},
                                                 {Button15, &TForm1::Button15Click},
                                                 {Button20, &TForm1::Button20Click},
                                                 {Button21, &TForm1::Button21Click},
                                                 {Button12, &TForm1::Button12Click},
                                                 {Button13, &TForm1::Button13Click}});
}

// One switch word when the button is pressed in, another when it is released.
void TForm1::sendToggleSwitch(TXMMBtn *button, std::int32_t pressed, std::int32_t released)
{
    XMMR->SetSwitch(button->State() ? pressed : released);
}

void TForm1::XMMBtn1LButtonClick()
{
    sendToggleSwitch(XMMBtn1, SwitchAtc, SwitchOff);
}
void TForm1::XMMBtn4LButtonClick()
{
    sendToggleSwitch(XMMBtn4, SwitchReverse, SwitchOff);
}
void TForm1::XMMBtn5LButtonClick()
{
    sendToggleSwitch(XMMBtn5, SwitchTxBandpass, SwitchOff);
}
void TForm1::XMMBtn6LButtonClick()
{
    sendToggleSwitch(XMMBtn6, SwitchNet, SwitchOff);
}
void TForm1::XMMBtn7LButtonClick()
{
    sendToggleSwitch(XMMBtn7, SwitchLms, SwitchOff);
}
void TForm1::XMMBtn11LButtonClick()
{
    sendToggleSwitch(XMMBtn11, SwitchUnshiftOnSpace, SwitchOff);
}

// AFC: pressed in means AFC off, as the caption then says.
void TForm1::XMMBtn2LButtonClick()
{
    const bool pressed = XMMBtn2->State();
    XMMR->SetSwitch(pressed ? SwitchOff : SwitchAfc);
    XMMBtn2->setCaption(pressed ? QStringLiteral("AFC OFF") : QStringLiteral("AFC ON"));
}

void TForm1::XMMBtn3LButtonClick()
{
    const bool pressed = XMMBtn3->State();
    XMMR->SetSwitch(pressed ? SwitchSquelch : SwitchOff);
    XMMBtn3->setCaption(pressed ? QStringLiteral("SQL ON") : QStringLiteral("SQL OFF"));
}

// NOT: the notch on when pressed (the window keeps up while the engine switches), the LMS
// filter back when released.
void TForm1::XMMBtn9LButtonClick()
{
    if (XMMBtn9->State()) {
        XMMR->SetSwitch(SwitchNotchOn);
        QCoreApplication::processEvents();
    } else {
        XMMR->SetSwitch(SwitchNotchOff);
    }
}

// "HAM"
void TForm1::XMMBtn15LButtonClick()
{
    XMMR->PostCommand(CmdHamDefaults, 0);
}

// "SQL Level": the field in hundreds; a value outside its range sends nothing.
void TForm1::Button17Click()
{
    const int hundreds = SpinEdit1->value();
    if (hundreds < 0 || hundreds > 10)
        return;
    const int level = hundreds * 100;
    if (level < 1024)
        XMMR->PostCommand(CmdSquelchLevel, level);
}

// "BAUD 75"
void TForm1::Button27Click()
{
    XMMR->PostCommand(CmdBaud, 7500);
}

// "BAUD 45."
void TForm1::Button28Click()
{
    XMMR->PostCommand(CmdBaud, 4545);
}

// "FSK/Filter": 1500 to 3000 Hz.
void TForm1::Button15Click()
{
    Spectram->setSpaceFreq(2125);
    Spectram->setMarkFreq(2295);
    Spectram->setBaseFreq(1500);
    Spectram->setWidthFreq(1500);
    WaterFall->setBaseFreq(1500);
    WaterFall->setWidthFreq(1500);
    Spectram->setWidthPixels(SpectrumWidthPixels);
}

// "FSK Monitor": 1500 to 3170 Hz.
void TForm1::Button20Click()
{
    Spectram->setSpaceFreq(2125);
    Spectram->setMarkFreq(2295);
    Spectram->setBaseFreq(1500);
    Spectram->setWidthFreq(1670);
    WaterFall->setBaseFreq(1500);
    WaterFall->setWidthFreq(1670);
    Spectram->setWidthPixels(SpectrumWidthPixels);
}

// "AFSK Monitor": 300 to 3300 Hz, markers left where they are.
void TForm1::Button21Click()
{
    Spectram->setBaseFreq(300);
    Spectram->setWidthFreq(3000);
    WaterFall->setBaseFreq(300);
    WaterFall->setWidthFreq(3000);
    Spectram->setWidthPixels(SpectrumWidthPixels);
}

// "Request Paramaters 0"
void TForm1::Button12Click()
{
    XMMR->PostCommand(CmdRequestParameters, 0);
}

// "Request Parameters": asks the engine, then lists the spectrum's settings as they stand.
void TForm1::Button13Click()
{
    Memo5->clear();
    XMMR->PostCommand(CmdRequestParameters, 0);
    Memo5->appendPlainText(QString::number(Spectram->SpaceFreq()) + QStringLiteral(" Space"));
    Memo5->appendPlainText(QString::number(Spectram->MarkFreq()) + QStringLiteral(" Mark"));
    Memo5->appendPlainText(QString::number(Spectram->Notch1()) + QStringLiteral(" Notch1"));
    Memo5->appendPlainText(QString::number(Spectram->Notch2()) + QStringLiteral(" Notch2"));
    Memo5->appendPlainText(QString::number(Spectram->BaseFreq()) + QStringLiteral(" BaseFreq"));
    Memo5->appendPlainText(QString::number(Spectram->WidthFreq()) + QStringLiteral(" WidthFreq"));
}
