// The macro buttons send one text each, built from the station field at the moment of the
// click, and the fields hold capitals however the text gets in.
#include "WindowFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

class MacrosTest : public WindowTest {};

TEST_F(MacrosTest, DeAndKnWithTheDesignedStationField)
{
    engine->running = true; // so that the texts reach it
    form->Button19->click();
    form->Button22->click();
    ASSERT_EQ(engine->log.size(), 2);
    EXPECT_EQ(engine->log[0], R"(XMMR.SendText(" STATION DE ZZ9ZZZ"))");
    EXPECT_EQ(engine->log[1], R"(XMMR.SendText(" STATION DE ZZ9ZZZ KN"))");
    ASSERT_EQ(engine->texts.size(), 2);
    EXPECT_EQ(engine->texts[0].size(), 18) << "as the engine got it";
    EXPECT_EQ(engine->texts[1].size(), 21);
}

TEST_F(MacrosTest, AnEmptyStationGivesElevenCharactersAndSpacesAreKept)
{
    engine->running = true;
    form->Edit2->clear();
    form->Button19->click();
    form->Edit2->setText(" W1AW ");
    form->Button19->click();
    EXPECT_EQ(engine->log, QStringList({R"(XMMR.SendText("  DE ZZ9ZZZ"))",
                                        R"(XMMR.SendText("  W1AW  DE ZZ9ZZZ"))"}));
    ASSERT_EQ(engine->texts.size(), 2);
    EXPECT_EQ(engine->texts[0].size(), 11) << "as the engine got it";
}

TEST_F(MacrosTest, KnTwiceSendsItTwiceAndAnsIsFixed)
{
    form->Edit2->setText("DL0XX");
    form->Button22->click();
    form->Button22->click();
    form->Button23->click();
    EXPECT_EQ(engine->log, QStringList({R"(XMMR.SendText(" DL0XX DE ZZ9ZZZ KN"))",
                                        R"(XMMR.SendText(" DL0XX DE ZZ9ZZZ KN"))",
                                        R"(XMMR.SendText(" ANS "))"}));
}

TEST_F(MacrosTest, BtuAndTheMessagesButtonSendTheMessageField)
{
    form->Button16->click();
    form->Edit4->setText("TU 599 BK");
    form->Button26->click();
    form->Button16->click();
    EXPECT_EQ(engine->log, QStringList({R"(XMMR.SendText(""))", R"(XMMR.SendText("TU 599 BK"))",
                                        R"(XMMR.SendText("TU 599 BK"))"}));
    // Nothing else happens: no command, the transmit window untouched.
    EXPECT_EQ(form->Transmit->toPlainText(), "");
}

TEST_F(MacrosTest, FieldsHoldCapitalsWhenTypedOrPasted)
{
    form->activateWindow();
    for (QLineEdit *field : {form->Edit2, form->Edit3, form->Edit4}) {
        field->clear();
        field->setFocus();
        QTest::keyClicks(field, "w1aw/p");
        EXPECT_EQ(field->text(), "W1AW/P") << field->objectName().toStdString();
        QApplication::clipboard()->setText(" ok");
        field->paste();
        EXPECT_EQ(field->text(), "W1AW/P OK");
    }
    engine->log.clear();
    form->Button19->click();
    EXPECT_EQ(engine->log, QStringList({R"(XMMR.SendText(" W1AW/P OK DE ZZ9ZZZ"))"}));
}
