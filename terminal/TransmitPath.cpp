// The transmit window and transmit control: each typed character to the engine at once, the
// TCP link's characters shown and passed on, and the commands that switch between transmit
// and receive, stop, and clear the engine's buffer.
#include "TXMMBtn.h"
#include "TXMMR.h"
#include "TXMMT.h"
#include "app/RTTYMain.h"
#include "engine/EngineCommands.h"
#include "terminal/AppendRule.h"
#include "terminal/CharKeyFilter.h"
#include "terminal/UpperCase.h"

using namespace engine;

void TForm1::connectTransmitPath()
{
    Transmit->setUndoRedoEnabled(false);
    new CharKeyFilter(Transmit, [this](char &key) { runHandler([&] { TransmitKeyPress(key); }); });
    bind(XMMT1, &TXMMT::OnCharRcvd, &TForm1::XMMT1CharRcvd);
    bind(XMMT1, &TXMMT::OnPttEvent, &TForm1::XMMT1PttEvent);
    bindAll<TXMMBtn>(&TXMMBtn::OnLButtonClick, {{XMMBtn12, &TForm1::XMMBtn12LButtonClick},
                                                {XMMBtn13, &TForm1::XMMBtn13LButtonClick},
                                                {XMMBtn14, &TForm1::XMMBtn14LButtonClick}});
    bindAll<QPushButton>(&QPushButton::clicked, {{Button5, &TForm1::Button5Click},
                                                 {Button8, &TForm1::Button8Click},
                                                 {Button9, &TForm1::Button9Click},
                                                 {Button10, &TForm1::Button10Click},
                                                 {Button6, &TForm1::Button6Click}});
    bindAll<QAction>(&QAction::triggered,
                     {{ClearTXWindow1, &TForm1::ClearTXWindow1Click},
                      {StopsendingNOW1, &TForm1::StopsendingNOW1Click},
                      {Receiveaftertransmission1, &TForm1::Receiveaftertransmission1Click},
                      {SwitchtoTransmit1, &TForm1::SwitchtoTransmit1Click},
                      {ClearTXbuffer1, &TForm1::ClearTXbuffer1Click}});
}

// A typed character: in capitals, to the window and to the engine as a text of its own.
void TForm1::TransmitKeyPress(char &Key)
{
    upperCaseAsciiLetter(Key);
    XMMR->SendText(QString(QChar(char16_t(std::uint8_t(Key)))));
}

// A character from a TCP-link client: shown, then passed on through the link's first index.
void TForm1::XMMT1CharRcvd(std::int16_t, std::int16_t bChar)
{
    appendCharByRule(Transmit, bChar);
    XMMT1->SendChar(1, bChar);
}

void TForm1::XMMT1PttEvent(std::int16_t, std::int16_t)
{
    XMMBtn13->setCaption(QStringLiteral("TX"));
}

// "TX"
void TForm1::XMMBtn12LButtonClick()
{
    XMMR->SetOption(OptionBeforeTransmit);
    XMMR->PostCommand(CmdTransmitControl, TxTransmit);
    XMMBtn13->setState(false);
    Transmit->setFocus();
}

// "TX OFF"
void TForm1::XMMBtn13LButtonClick()
{
    XMMR->PostCommand(CmdTransmitControl, TxReceiveAfterSending);
    XMMBtn12->setState(false);
}

// "FIG" changes only its own look.
void TForm1::XMMBtn14LButtonClick() {}

// "Stop"
void TForm1::Button5Click()
{
    XMMR->PostCommand(CmdTransmitControl, TxStopNow);
}

// "RX "
void TForm1::Button8Click()
{
    XMMR->PostCommand(CmdTransmitControl, TxReceiveAfterSending);
}

// "Switch to TX"
void TForm1::Button9Click()
{
    XMMR->PostCommand(CmdTransmitControl, TxSwitchToTransmit);
}

// "Clear TX Buffer"
void TForm1::Button10Click()
{
    XMMR->PostCommand(CmdTransmitControl, TxClearBuffer);
}

// "Clear" beside the transmit window: the window, then the engine's buffer.
void TForm1::Button6Click()
{
    Transmit->clear();
    XMMR->PostCommand(CmdTransmitControl, TxClearBuffer);
}

void TForm1::ClearTXWindow1Click()
{
    Transmit->clear();
}

void TForm1::StopsendingNOW1Click()
{
    Button5->click();
}

void TForm1::Receiveaftertransmission1Click()
{
    Button8->click();
}

void TForm1::SwitchtoTransmit1Click()
{
    Button9->click();
}

void TForm1::ClearTXbuffer1Click()
{
    Button10->click();
}
