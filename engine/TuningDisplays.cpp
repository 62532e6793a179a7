// The engine's notifications to the four displays, the overflow warning, and the mouse on the
// displays: left tunes mark and space, right sets the notch, a click on the meter the squelch.
#include "TXMMBtn.h"
#include "TXMMLvl.h"
#include "TXMMR.h"
#include "TXMMSpec.h"
#include "TXMMT.h"
#include "TXMMWater.h"
#include "TXMMXY.h"
#include "app/RTTYMain.h"
#include "engine/EngineCommands.h"
#include "engine/Tuning.h"

using namespace engine;

void TForm1::connectTuningDisplays()
{
    bind(XMMR, &TXMMR::OnNotifyFFT, &TForm1::XMMRNotifyFFT);
    bind(XMMR, &TXMMR::OnNotifyXY, &TForm1::XMMRNotifyXY);
    bind(XMMR, &TXMMR::OnNotifyNMMR, &TForm1::XMMRNotifyNMMR);
    bind(XMMT1, &TXMMT::OnNotifyFFT, &TForm1::XMMT1NotifyFFT);
    bind(XMMT1, &TXMMT::OnNotifyXY, &TForm1::XMMT1NotifyXY);
    // The spectrum's left release is not bound; the waterfall's is.
    bind(Spectram, &TXMMSpec::OnLMouseDown, &TForm1::SpectramLMouseDown);
    bind(Spectram, &TXMMSpec::OnLMouseMove, &TForm1::SpectramLMouseDown);
    bind(WaterFall, &TXMMWater::OnLMouseDown, &TForm1::SpectramLMouseDown);
    bind(WaterFall, &TXMMWater::OnLMouseMove, &TForm1::SpectramLMouseDown);
    bind(WaterFall, &TXMMWater::OnLMouseUp, &TForm1::SpectramLMouseDown);
    for (FrequencyDisplay *display :
         {static_cast<FrequencyDisplay *>(Spectram), static_cast<FrequencyDisplay *>(WaterFall)}) {
        bind(display, &FrequencyDisplay::OnRMouseDown, &TForm1::SpectramRMouseDown);
        bind(display, &FrequencyDisplay::OnRMouseMove, &TForm1::SpectramRMouseMove);
        bind(display, &FrequencyDisplay::OnRMouseUp, &TForm1::SpectramRMouseUp);
    }
    bind(Level, &TXMMLvl::OnLMouseDown, &TForm1::LevelLMouseDown);
    bind(Button7, &QPushButton::clicked, &TForm1::Button7Click);
    bindAll<QAction>(&QAction::triggered, {{HighXYQuality1, &TForm1::HighXYQuality1Click},
                                           {NOTHighXY1, &TForm1::NOTHighXY1Click}});
}

// A spectrum block: both displays, then the overflow warning from the engine's count.
void TForm1::XMMRNotifyFFT(const std::int16_t *pFFT, std::int16_t size, std::int16_t sampfreq)
{
    Spectram->DrawFFT(pFFT, size, sampfreq);
    WaterFall->DrawFFT(pFFT, size, sampfreq);
    Label2->setText(QString::number(XMMR->OverFlow()));
    Label4->setVisible(Label2->text() != QLatin1String("0"));
}

void TForm1::XMMRNotifyXY(const std::int32_t *pXY)
{
    XYScope->DrawXY(pXY);
}

void TForm1::XMMRNotifyNMMR(const std::int32_t *pNMMR)
{
    Level->DrawNMMR(pNMMR);
    Spectram->DrawNMMR(pNMMR);
}

void TForm1::XMMT1NotifyFFT(std::int16_t, const std::int16_t *pFFT, std::int16_t size,
                            std::int16_t sampfreq)
{
    Spectram->DrawFFT(pFFT, size, sampfreq);
    WaterFall->DrawFFT(pFFT, size, sampfreq);
}

void TForm1::XMMT1NotifyXY(std::int16_t, const std::int32_t *pXY)
{
    XYScope->DrawXY(pXY);
}

// Click tuning: the engine listens at the pair; the window keeps up while the mouse drags.
void TForm1::SpectramLMouseDown(std::int16_t freq)
{
    const TonePair tones = clickTuning(freq);
    XMMR->PostCommand(CmdMarkHz, tones.markHz);
    XMMR->PostCommand(CmdSpaceHz, tones.spaceHz);
    QCoreApplication::processEvents();
}

void TForm1::SpectramRMouseDown(std::int16_t freq)
{
    QCoreApplication::processEvents();
    XMMR->PostCommand(CmdNotchHz, limitNotch(freq));
}

void TForm1::SpectramRMouseMove(std::int16_t) {}

void TForm1::SpectramRMouseUp(std::int16_t) {}

// "Notch": the field's value, limited to 300..2700 Hz.
void TForm1::Button7Click()
{
    XMMR->PostCommand(CmdNotchHz, limitNotch(SpinEdit5->value()));
}

// A click on the level meter sets the squelch there, while squelch is on.
void TForm1::LevelLMouseDown(std::int16_t level)
{
    if (!XMMBtn3->State())
        return;
    XMMR->PostCommand(CmdSquelchLevel, level);
    SpinEdit1->setValue(level / 100);
}

void TForm1::HighXYQuality1Click()
{
    XYScope->setHighQuality(!XYScope->HighQuality());
}

void TForm1::NOTHighXY1Click()
{
    XYScope->HighQuality();
}
