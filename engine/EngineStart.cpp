// Starting and restarting the engine, the standard tones, and what the window does when the
// engine link or the TCP link connects or disconnects.
#include "TXMMLvl.h"
#include "TXMMR.h"
#include "TXMMSpec.h"
#include "TXMMT.h"
#include "TXMMWater.h"
#include "TXMMXY.h"
#include "app/RTTYMain.h"
#include "engine/EngineCommands.h"

using namespace engine;

void TForm1::connectEngineStart()
{
    bindAll<QPushButton>(&QPushButton::clicked, {{Button3, &TForm1::Button3Click},
                                                 {Button30, &TForm1::Button30Click},
                                                 {Button29, &TForm1::Button29Click},
                                                 {Button11, &TForm1::Button11Click}});
    bindAll<QAction>(&QAction::triggered, {{Reconnect1, &TForm1::Reconnect1Click},
                                           {Invoke1, &TForm1::Invoke1Click},
                                           {SetUpEngine1, &TForm1::SetUpEngine1Click}});
    bind(XMMR, &TXMMR::OnConnected, &TForm1::XMMRConnected);
    bind(XMMR, &TXMMR::OnDisconnected, &TForm1::XMMRDisconnected);
    bind(XMMR, &TXMMR::OnNotice, &TForm1::XMMRNotice);
    bind(XMMR, &TXMMR::OnPttEvent, &TForm1::XMMRPttEvent);
    bind(XMMT1, &TXMMT::OnConnected, &TForm1::XMMT1Connected);
    bind(XMMT1, &TXMMT::OnDisconnected, &TForm1::XMMT1Disconnected);
    bind(XMMT1, &TXMMT::OnGetProfileName, &TForm1::XMMT1GetProfileName);
    bind(XMMT1, &TXMMT::OnNotifyNMMT, &TForm1::XMMT1NotifyNMMT);
}

// Writes the command line, then restarts the link: false then true, even when it is active.
void TForm1::restartEngine(const char *commandLine)
{
    XMMR->setInvokeCommand(QString::fromLatin1(commandLine));
    XMMR->setbActive(false);
    XMMR->setbActive(true);
}

// START
void TForm1::Button3Click()
{
    Label14->setVisible(false);
    restartEngine(EngineForTerminal);
    XMMT1->setbActive(true);
    for (TXMMBtn *toggle :
         {XMMBtn1, XMMBtn3, XMMBtn4, XMMBtn5, XMMBtn6, XMMBtn7, XMMBtn9, XMMBtn11})
        toggle->setState(false);
    XMMR->SetSwitch(SwitchResetAll);
}

// "Reconnect TOLM FSK": restarts the engine and sends the standard tones at once.
void TForm1::Reconnect1Click()
{
    restartEngine(EngineForTerminal);
    Button29->click();
}

// "Invoke MMTTY"
void TForm1::Invoke1Click()
{
    restartEngine(EngineOnItsOwn);
}

// "RunMMTTY"
void TForm1::Button30Click()
{
    restartEngine(EngineOnItsOwn);
}

// "ovaHAM": the standard tones to the engine and to the spectrum's markers.
void TForm1::Button29Click()
{
    XMMR->PostCommand(CmdMarkHz, StandardMarkHz);
    XMMR->PostCommand(CmdSpaceHz, StandardSpaceHz);
    Spectram->setMarkFreq(StandardMarkHz);
    Spectram->setSpaceFreq(StandardSpaceHz);
    Label12->setText(QString::number(Spectram->SpaceFreq()) + QStringLiteral(" Space"));
    Label13->setText(QString::number(Spectram->MarkFreq()) + QStringLiteral(" Mark"));
}

// "SetUpEngine"
void TForm1::SetUpEngine1Click()
{
    XMMR->PostCommand(CmdSetup, MakeLong(0, 0));
}

// "Set Up Ports etc"
void TForm1::Button11Click()
{
    XMMR->PostCommand(CmdSetup, MakeLong(0, 0));
}

void TForm1::XMMRConnected()
{
    XYScope->setDemSampleFreq(std::int16_t(XMMR->smpDemFreq()));
    setStatusPanelText(0, QStringLiteral("Connected to MMTTY ") + XMMR->verMMTTY());
    XMMR->PostCommand(CmdMarkAndShift, MakeLong(StandardMarkHz, StandardShiftHz));
    XMMR->PostCommand(CmdHamDefaults, 0);
}

// Status 3: a connected engine has ended by itself; the panel must not go on saying it is
// connected.
void TForm1::XMMRDisconnected(std::int16_t status)
{
    if (status == 0)
        setStatusPanelText(0, QStringLiteral("MMTTY closing failed."));
    else if (status == 2)
        setStatusPanelText(0, QStringLiteral("MMTTY invoking failed."));
    else if (status == DisconnectEngineLost)
        setStatusPanelText(0, QStringLiteral("MMTTY stopped unexpectedly."));
}

// The engine's word on its sound and PTT: what has failed, or, once all works again, the
// connected text with the engine's new version text.
void TForm1::XMMRNotice(std::int16_t fault, const QString &text)
{
    setStatusPanelText(0, fault ? text : QStringLiteral("Connected to MMTTY ") + text);
}

void TForm1::XMMRPttEvent(std::int16_t) {}

void TForm1::XMMT1Connected(std::int16_t nIndex)
{
    XMMT1->SendCode(nIndex, TcpGreetingCode);
    XMMT1->SendValue(nIndex, TcpGreetingValue);
}

void TForm1::XMMT1Disconnected(std::int16_t)
{
    Level->Clear();
    Spectram->Clear();
    WaterFall->Clear();
    XYScope->Clear();
}

void TForm1::XMMT1GetProfileName(std::int16_t, std::int16_t, QString *) {}

void TForm1::XMMT1NotifyNMMT(std::int16_t, const std::int32_t *) {}
