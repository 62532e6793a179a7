// The engine's functions are those the window's toggle buttons show, whatever the operator
// clicked: random sequences of clicks on the nine toggles, HAM and START, against the real
// engine core behind the engine library's controls. And the notch sits where the Notch field
// says from START on.
#include "CoreEngineSide.h"
#include "DataBlocks.h"
#include "QtPrinters.h"
#include "RTTYMain.h"
#include "SwitchWords.h"
#include "TXMMBtn.h"
#include "TXMMR.h"

#include <QTest>
#include <gtest/gtest.h>
#include <random>

namespace {

class SwitchAgreementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm1>();
        auto side = std::make_unique<CoreEngineSide>();
        engine = side.get();
        form->XMMR->setEngineSide(std::move(side));
    }

    void start()
    {
        form->Button3->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine->core() != nullptr; }, 1000));
    }

    // The switch word the buttons show: AFC pressed in means AFC off.
    std::int32_t shownWord() const
    {
        using namespace enginelink;
        std::int32_t word = form->XMMBtn2->pressedIn() ? 0 : SwitchOnMark;
        const std::pair<TXMMBtn *, SwitchBit> toggles[] = {
            {form->XMMBtn6, SwitchBitNet},  {form->XMMBtn1, SwitchBitAtc},
            {form->XMMBtn5, SwitchBitBpf},  {form->XMMBtn7, SwitchBitLms},
            {form->XMMBtn3, SwitchBitSql},  {form->XMMBtn4, SwitchBitRev},
            {form->XMMBtn11, SwitchBitUos}, {form->XMMBtn9, SwitchBitNotch},
        };
        for (const auto &[button, bit] : toggles)
            if (button->pressedIn())
                word |= bit;
        return word;
    }
    std::int32_t engineField(int field) const
    {
        return engine->core()->statusRecord().at(std::size_t(field));
    }

    std::unique_ptr<TForm1> form;
    CoreEngineSide *engine = nullptr;
};

} // namespace

TEST_F(SwitchAgreementTest, AfterAnyClicksTheEngineRunsWhatTheButtonsShow)
{
    start();
    const std::vector<TXMMBtn *> toggles = {form->XMMBtn1, form->XMMBtn2, form->XMMBtn3,
                                            form->XMMBtn4, form->XMMBtn5, form->XMMBtn6,
                                            form->XMMBtn7, form->XMMBtn9, form->XMMBtn11};
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> length(1, 12), pick(0, int(toggles.size()) + 1);
    for (int sequence = 0; sequence < 1000; ++sequence) {
        QStringList clicks;
        for (int n = length(random); n > 0; --n) {
            const int choice = pick(random);
            if (choice < int(toggles.size())) {
                QTest::mouseClick(toggles[std::size_t(choice)], Qt::LeftButton, {}, QPoint(4, 4));
                clicks << toggles[std::size_t(choice)]->objectName();
            } else if (choice == int(toggles.size())) {
                QTest::mouseClick(form->XMMBtn15, Qt::LeftButton, {}, QPoint(4, 4));
                clicks << "HAM";
            } else {
                form->Button3->click();
                clicks << "START";
                ASSERT_TRUE(QTest::qWaitFor([&] { return engine->core() != nullptr; }, 1000));
            }
        }
        QCoreApplication::processEvents();
        ASSERT_EQ(engineField(enginelink::StatusSwitchWord), shownWord())
            << "sequence " << sequence << ": " << clicks.join(" ").toStdString();
    }
}

TEST_F(SwitchAgreementTest, TheNotchIsWhereTheNotchFieldSaysFromStartOn)
{
    start();
    QTest::mouseClick(form->XMMBtn9, Qt::LeftButton, {}, QPoint(4, 4)); // NOT
    EXPECT_EQ(engineField(enginelink::StatusNotch1Hz), form->SpinEdit5->value());
    form->SpinEdit5->setValue(800);
    form->Button7->click(); // Notch
    EXPECT_EQ(engineField(enginelink::StatusNotch1Hz), 800);
    start(); // a new engine: NOT released, then pressed again
    QTest::mouseClick(form->XMMBtn9, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(engineField(enginelink::StatusNotch1Hz), 800) << "the engine keeps the field's";
}
