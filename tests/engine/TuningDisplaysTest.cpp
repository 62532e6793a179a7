// The displays' handlers with the real controls: a click at a pixel becomes the command that
// reaches the engine, so the pixel-to-Hz mapping is tested together with the handler.
#include "TXMMBtn.h"
#include "TXMMLvl.h"
#include "TXMMSpec.h"
#include "TXMMT.h"
#include "TXMMWater.h"
#include "TXMMXY.h"
#include "WindowFixture.h"

#include <QLabel>
#include <QSpinBox>

class TuningDisplaysTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        // 0..3000 Hz over 300 pixels: 10 Hz a pixel on both displays.
        for (FrequencyDisplay *display : {static_cast<FrequencyDisplay *>(form->Spectram),
                                          static_cast<FrequencyDisplay *>(form->WaterFall)}) {
            display->setBaseFreq(0);
            display->setWidthFreq(3000);
            display->resize(300, display->height());
        }
        // 0..1100 over 111 rows: 10 a row on the level meter.
        form->Level->resize(form->Level->width(), 111);
        engine->log.clear();
    }

    QPoint at(FrequencyDisplay *display, int hz) { return {hz / 10, display->height() / 2}; }
};

TEST_F(TuningDisplaysTest, LeftClickTunesMarkAndSpaceWithinTheLimits)
{
    const struct {
        int clickHz, mark, space;
    } cases[] = {{100, 300, 470}, {1000, 1000, 1170}, {2530, 2530, 2700}, {2600, 2530, 2700}};
    for (const auto &c : cases) {
        engine->log.clear();
        QTest::mousePress(form->Spectram, Qt::LeftButton, {}, at(form->Spectram, c.clickHz));
        EXPECT_EQ(engine->log, QStringList({QString("XMMR.PostCommand(9, %1)").arg(c.mark),
                                            QString("XMMR.PostCommand(10, %1)").arg(c.space)}))
            << c.clickHz;
        QTest::mouseRelease(form->Spectram, Qt::LeftButton, {}, at(form->Spectram, c.clickHz));
    }
    // Click tuning leaves the spectrum's own markers alone.
    EXPECT_EQ(form->Spectram->MarkFreq(), 2125);
}

TEST_F(TuningDisplaysTest, ALeftReleaseTunesOverTheWaterfallButNotOverTheSpectrum)
{
    QTest::mousePress(form->Spectram, Qt::LeftButton, {}, at(form->Spectram, 1000));
    engine->log.clear();
    QTest::mouseRelease(form->Spectram, Qt::LeftButton, {}, at(form->Spectram, 1200));
    EXPECT_TRUE(engine->log.isEmpty());

    QTest::mousePress(form->WaterFall, Qt::LeftButton, {}, at(form->WaterFall, 1000));
    engine->log.clear();
    QTest::mouseRelease(form->WaterFall, Qt::LeftButton, {}, at(form->WaterFall, 1200));
    EXPECT_EQ(engine->log,
              QStringList({"XMMR.PostCommand(9, 1200)", "XMMR.PostCommand(10, 1370)"}));
}

TEST_F(TuningDisplaysTest, DraggingSendsAPairForEveryMove)
{
    QTest::mousePress(form->WaterFall, Qt::LeftButton, {}, at(form->WaterFall, 1000));
    engine->log.clear();
    QMouseEvent move(QEvent::MouseMove, QPointF(at(form->WaterFall, 1500)),
                     form->WaterFall->mapToGlobal(QPointF(at(form->WaterFall, 1500))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->WaterFall, &move);
    EXPECT_EQ(engine->log,
              QStringList({"XMMR.PostCommand(9, 1500)", "XMMR.PostCommand(10, 1670)"}));
    // Moving without a button pressed tunes nothing.
    engine->log.clear();
    QMouseEvent hover(QEvent::MouseMove, QPointF(at(form->Spectram, 800)),
                      form->Spectram->mapToGlobal(QPointF(at(form->Spectram, 800))), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form->Spectram, &hover);
    EXPECT_TRUE(engine->log.isEmpty());
}

TEST_F(TuningDisplaysTest, RightClickSetsTheNotchAndRightMovesAndReleasesSendNothing)
{
    const struct {
        int clickHz, notch;
    } cases[] = {{120, 300}, {2800, 2700}, {1500, 1500}};
    for (FrequencyDisplay *display : {static_cast<FrequencyDisplay *>(form->Spectram),
                                      static_cast<FrequencyDisplay *>(form->WaterFall)}) {
        for (const auto &c : cases) {
            engine->log.clear();
            QTest::mousePress(display, Qt::RightButton, {}, at(display, c.clickHz));
            EXPECT_EQ(engine->log, QStringList({QString("XMMR.PostCommand(23, %1)").arg(c.notch)}));
            engine->log.clear();
            QMouseEvent move(QEvent::MouseMove, QPointF(at(display, 900)),
                             display->mapToGlobal(QPointF(at(display, 900))), Qt::NoButton,
                             Qt::RightButton, Qt::NoModifier);
            QApplication::sendEvent(display, &move);
            QTest::mouseRelease(display, Qt::RightButton, {}, at(display, 900));
            EXPECT_TRUE(engine->log.isEmpty());
        }
    }
}

TEST_F(TuningDisplaysTest, NotchButtonLimitsTheFieldsValue)
{
    const struct {
        int field, notch;
    } cases[] = {{500, 500}, {0, 300}, {2500, 2500}, {2600, 2600}, {9000, 2700}, {-40, 300}};
    for (const auto &c : cases) {
        form->SpinEdit5->setValue(c.field);
        engine->log.clear();
        form->Button7->click();
        EXPECT_EQ(engine->log, QStringList({QString("XMMR.PostCommand(23, %1)").arg(c.notch)}));
    }
}

TEST_F(TuningDisplaysTest, LevelClickSetsTheSquelchOnlyWhileSqlIsPressed)
{
    form->SpinEdit1->setValue(4);
    QTest::mouseClick(form->Level, Qt::LeftButton, {}, QPoint(5, form->Level->yForLevel(250)));
    EXPECT_TRUE(logOf("XMMR.").isEmpty());
    EXPECT_EQ(form->SpinEdit1->value(), 4);

    form->XMMBtn3->setState(true);
    engine->log.clear();
    QTest::mouseClick(form->Level, Qt::LeftButton, {}, QPoint(5, form->Level->yForLevel(250)));
    EXPECT_EQ(logOf("XMMR."), QStringList({"XMMR.PostCommand(15, 250)"}));
    EXPECT_EQ(form->SpinEdit1->value(), 2);
    engine->log.clear();
    QTest::mouseClick(form->Level, Qt::LeftButton, {}, QPoint(5, form->Level->yForLevel(1050)));
    EXPECT_EQ(logOf("XMMR."), QStringList({"XMMR.PostCommand(15, 1050)"}));
    EXPECT_EQ(form->SpinEdit1->value(), 10);
}

TEST_F(TuningDisplaysTest, OverflowWarningFollowsTheEnginesCountOnEveryBlock)
{
    const std::int16_t block[8] = {-9000, -9000, -9000, -2000, -9000, -9000, -9000, -9000};
    engine->overflowCount = 0;
    engine->raiseFft(block, 8, 8000);
    EXPECT_TRUE(form->Label4->isHidden());
    EXPECT_EQ(form->Label2->text(), "0");
    engine->overflowCount = 17;
    engine->raiseFft(block, 8, 8000);
    EXPECT_FALSE(form->Label4->isHidden());
    EXPECT_EQ(form->Label2->text(), "17");
    // A block through the TCP link never touches the warning.
    engine->overflowCount = 0;
    emit form->XMMT1->OnNotifyFFT(1, block, 8, 8000);
    EXPECT_FALSE(form->Label4->isHidden());
    engine->raiseFft(block, 8, 8000);
    EXPECT_TRUE(form->Label4->isHidden());
    engine->overflowCount = 3;
    emit form->XMMT1->OnNotifyFFT(1, block, 8, 8000);
    EXPECT_TRUE(form->Label4->isHidden());
}

TEST_F(TuningDisplaysTest, NotificationsReachTheDisplaysInOrder)
{
    const std::int16_t block[4] = {-6000, -5000, -4000, -3000};
    engine->raiseFft(block, 4, 8000);
    EXPECT_EQ(engine->log, QStringList({"Spectram.DrawFFT(4, 8000)", "WaterFall.DrawFFT(4, 8000)",
                                        "XMMR.OverFlow -> 0"}));
    engine->log.clear();
    const std::int32_t xy[] = {1, 100, -100};
    engine->raiseXy(xy);
    std::int32_t record[12] = {12, 500, 300, 1, 1500, 1670, 900, 0, 4545, 0, 0, 0};
    engine->raiseStatus(record);
    EXPECT_EQ(engine->log,
              QStringList({"XYScope.DrawXY()", "Level.DrawNMMR()", "Spectram.DrawNMMR()"}));
    // The markers stand where the engine listens now.
    EXPECT_EQ(form->Spectram->MarkFreq(), 1500);
    EXPECT_EQ(form->Spectram->SpaceFreq(), 1670);
    EXPECT_EQ(form->Spectram->Notch1(), 900);
    EXPECT_EQ(form->Level->signalLevel(), 500);
    EXPECT_EQ(form->Level->squelchLevel(), 300);
}

TEST_F(TuningDisplaysTest, HighXyQualityTogglesAndNotHighXyOnlyReads)
{
    EXPECT_FALSE(form->XYScope->HighQuality());
    form->HighXYQuality1->trigger();
    EXPECT_TRUE(form->XYScope->HighQuality());
    form->HighXYQuality1->trigger();
    EXPECT_FALSE(form->XYScope->HighQuality());
    engine->log.clear();
    form->NOTHighXY1->trigger();
    EXPECT_EQ(engine->log, QStringList({"XYScope.HighQuality -> false"}));
}
