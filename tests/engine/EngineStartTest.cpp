// Starting the engine, the standard tones, and the window's answers to the links' connection
// events, as seen in the ordered log of the fake engine side.
#include "TXMMBtn.h"
#include "TXMMT.h"
#include "TXMMXY.h"
#include "WindowFixture.h"
#include "engine/EngineCommands.h"

#include <QLabel>

class EngineStartTest : public WindowTest {};

namespace {
const QStringList startCalls = {
    R"(XMMR.InvokeCommand := "MMTTY.EXE -m")",
    "XMMR.bActive := false",
    "XMMR.bActive := true",
    "XMMT1.bActive := true",
    "XMMBtn1.State := false",
    "XMMBtn3.State := false",
    "XMMBtn4.State := false",
    "XMMBtn5.State := false",
    "XMMBtn6.State := false",
    "XMMBtn7.State := false",
    "XMMBtn9.State := false",
    "XMMBtn11.State := false",
    "XMMR.SetSwitch(-128)",
};
}

TEST_F(EngineStartTest, StartRestartsTheLinkAndResetsTheSwitchesInOrder)
{
    form->XMMBtn2->setState(true);
    form->XMMBtn2->setCaption("AFC OFF");
    form->XMMBtn4->setState(true);
    engine->log.clear();

    form->Button3->click();
    EXPECT_EQ(engine->log, startCalls);
    EXPECT_TRUE(form->Label14->isHidden());
    EXPECT_FALSE(form->XMMBtn4->State());
    EXPECT_TRUE(form->XMMBtn2->State());
    EXPECT_EQ(form->XMMBtn2->Caption(), "AFC OFF");
    EXPECT_TRUE(engine->running);
}

TEST_F(EngineStartTest, StartPressedTwiceDoesEverythingTwice)
{
    form->Button3->click();
    form->Button3->click();
    EXPECT_EQ(engine->log, startCalls + startCalls);
}

TEST_F(EngineStartTest, ReconnectSendsTheStandardTonesBeforeAnyConnection)
{
    form->Reconnect1->trigger();
    const QStringList expected = {
        R"(XMMR.InvokeCommand := "MMTTY.EXE -m")",
        "XMMR.bActive := false",
        "XMMR.bActive := true",
        "XMMR.PostCommand(9, 2125)",
        "XMMR.PostCommand(10, 2295)",
        "Spectram.MarkFreq := 2125",
        "Spectram.SpaceFreq := 2295",
        "Spectram.SpaceFreq -> 2295",
        "Spectram.MarkFreq -> 2125",
    };
    EXPECT_EQ(engine->log, expected);
    // Label14, the TCP link and the toggle buttons are left alone.
    EXPECT_FALSE(form->Label14->isHidden());
    EXPECT_FALSE(form->XMMT1->isActive());
}

TEST_F(EngineStartTest, OvaHamSetsAndShowsTheStandardTones)
{
    form->Spectram->setMarkFreq(1000);
    form->Spectram->setSpaceFreq(1170);
    engine->log.clear();
    form->Button29->click();
    EXPECT_EQ(logOf("XMMR."),
              QStringList({"XMMR.PostCommand(9, 2125)", "XMMR.PostCommand(10, 2295)"}));
    EXPECT_EQ(form->Label12->text(), "2295 Space");
    EXPECT_EQ(form->Label13->text(), "2125 Mark");
    EXPECT_EQ(form->Spectram->MarkFreq(), 2125);
    EXPECT_EQ(form->Spectram->SpaceFreq(), 2295);
}

TEST_F(EngineStartTest, InvokeAndRunWriteTheOwnCommandLineThenRestart)
{
    const QStringList expected = {R"(XMMR.InvokeCommand := "MMTTY.EXE ")", "XMMR.bActive := false",
                                  "XMMR.bActive := true"};
    form->Invoke1->trigger();
    EXPECT_EQ(engine->log, expected);
    engine->log.clear();
    form->Button30->click();
    EXPECT_EQ(engine->log, expected);
    // The next START goes back to the terminal's own command line.
    engine->log.clear();
    form->Button3->click();
    EXPECT_EQ(engine->log.first(), R"(XMMR.InvokeCommand := "MMTTY.EXE -m")");
}

TEST_F(EngineStartTest, SetUpCommandsAskTheEngineForItsSettings)
{
    form->SetUpEngine1->trigger();
    form->Button11->click();
    EXPECT_EQ(engine->log, QStringList({"XMMR.PostCommand(13, 0)", "XMMR.PostCommand(13, 0)"}));
}

TEST_F(EngineStartTest, ConnectionShowsTheVersionAndSendsTheDefaults)
{
    engine->versionText = "0.3 (demo source)";
    engine->sampleRate = 11025;
    engine->raiseConnected();
    const QStringList expected = {
        "XMMR.smpDemFreq -> 11025",
        "XYScope.DemSampleFreq := 11025",
        R"x(XMMR.verMMTTY -> "0.3 (demo source)")x",
        "XMMR.PostCommand(27, 11143245)",
        "XMMR.PostCommand(12, 0)",
    };
    EXPECT_EQ(engine->log, expected);
    EXPECT_EQ(form->statusPanelText(0), "Connected to MMTTY 0.3 (demo source)");
    EXPECT_EQ(form->XYScope->demSampleFreq(), 11025);
}

TEST_F(EngineStartTest, ConnectionAfterInvokeStillSendsTheDefaults)
{
    form->Invoke1->trigger();
    engine->log.clear();
    engine->raiseConnected();
    EXPECT_EQ(logOf("XMMR.PostCommand"),
              QStringList({"XMMR.PostCommand(27, 11143245)", "XMMR.PostCommand(12, 0)"}));
    EXPECT_TRUE(form->statusPanelText(0).startsWith("Connected to MMTTY "));
}

TEST_F(EngineStartTest, DisconnectionStatusDecidesThePanel)
{
    engine->raiseConnected();
    const QString connected = form->statusPanelText(0);
    engine->raiseDisconnected(1);
    EXPECT_EQ(form->statusPanelText(0), connected);
    engine->raiseDisconnected(0);
    EXPECT_EQ(form->statusPanelText(0), "MMTTY closing failed.");
    engine->raiseDisconnected(2);
    EXPECT_EQ(form->statusPanelText(0), "MMTTY invoking failed.");
    engine->raiseDisconnected(7);
    EXPECT_EQ(form->statusPanelText(0), "MMTTY invoking failed.");
}

TEST_F(EngineStartTest, TcpConnectionIsGreetedOnItsOwnIndex)
{
    emit form->XMMT1->OnConnected(3);
    EXPECT_EQ(engine->log, QStringList({"XMMT1.SendCode(3, 241)", "XMMT1.SendValue(3, 0)"}));
}

TEST_F(EngineStartTest, TcpDisconnectionClearsTheFourDisplaysInOrder)
{
    emit form->XMMT1->OnDisconnected(5);
    EXPECT_EQ(engine->log, QStringList({"Level.Clear()", "Spectram.Clear()", "WaterFall.Clear()",
                                        "XYScope.Clear()"}));
}

TEST_F(EngineStartTest, EventsWithNoHandlerWorkDoNothing)
{
    emit form->XMMR->OnPttEvent(1);
    QString name = "unchanged";
    emit form->XMMT1->OnGetProfileName(1, 0, &name);
    const std::int32_t record[] = {1};
    emit form->XMMT1->OnNotifyNMMT(1, record);
    EXPECT_TRUE(engine->log.isEmpty());
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(form->statusPanelText(0), "Status");
}

// The engine's word on its sound and PTT: a fault in the panel, then the connected text with
// the engine's new version text once all works again.
TEST_F(EngineStartTest, TheEnginesNoticesShowInTheStatusPanel)
{
    emit engine->engineNotice(1, "PTT: /dev/ttyUSB0: No such file or directory");
    EXPECT_EQ(form->statusPanelText(0), "PTT: /dev/ttyUSB0: No such file or directory");
    emit engine->engineNotice(0, "sound card, engine 1.0");
    EXPECT_EQ(form->statusPanelText(0), "Connected to MMTTY sound card, engine 1.0");
    EXPECT_TRUE(engine->log.isEmpty()) << "nothing is sent back";
}

// Every greeting the engine makes fits the 250-pixel panel whole; a longer text is cut with an
// ellipsis on screen and shown whole as the panel's tooltip.
TEST_F(EngineStartTest, GreetingsFitThePanelAndLongerTextsAreCutVisibly)
{
    QLabel *panel = form->statusPanel(0);
    for (const char *greeting :
         {"DEMO, engine 1.0", "sound card, engine 1.0", "RX ONLY, engine 1.0", "NO RX, engine 1.0",
          "NO SOUND, engine 1.0", "WAV file, engine 1.0"}) {
        emit engine->engineNotice(0, greeting);
        EXPECT_EQ(panel->text(), QString("Connected to MMTTY ") + greeting) << greeting;
        EXPECT_TRUE(panel->toolTip().isEmpty()) << greeting;
    }
    const QString long_ =
        "Cannot open the sound input: PulseAudio: there is no device alsa_input.usb-Burr-Brown";
    emit engine->engineNotice(1, long_);
    EXPECT_EQ(form->statusPanelText(0), long_);
    EXPECT_TRUE(panel->text().startsWith("Cannot open the sound input"))
        << panel->text().toStdString();
    EXPECT_TRUE(panel->text().endsWith(QChar(0x2026))) << panel->text().toStdString();
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width());
    EXPECT_EQ(panel->toolTip(), long_);
}

TEST(MakeLong, PacksTheFirstValueLowAndTheSecondHigh)
{
    EXPECT_EQ(MakeLong(2125, 170), 11143245);
    EXPECT_EQ(MakeLong(2125, 170), 0x00AA084D);
    EXPECT_EQ(MakeLong(0, 0), 0);
    EXPECT_EQ(MakeLong(0xFFFF, 0), 0xFFFF);
    EXPECT_EQ(MakeLong(0, 0x8000), std::int32_t(0x80000000u));
}
