// The bench's measures: what a receiver lost at the start.
#include "CharacterErrorRate.h"

#include <gtest/gtest.h>

TEST(CharacterErrorRate, LeadingLossCountsWhatWasMissedAtTheStart)
{
    const std::string sent = "CQ CQ CQ DE ZZ9ZZZ ZZ9ZZZ PSE K THE QUICK BROWN FOX";
    EXPECT_EQ(cer::leadingLoss(sent, sent), 0u);
    EXPECT_EQ(cer::leadingLoss(sent, "E#3" + sent.substr(6)), 6u);
    EXPECT_EQ(cer::leadingLoss(sent, "cq cq\r\ncq de " + sent.substr(12)), 0u);
    EXPECT_EQ(cer::leadingLoss(sent, "NOTHING ALIKE AT ALL HERE"), cer::fold(sent).size());
}
