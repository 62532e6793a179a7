// Call signs told by their shape in received text, and the word a double-click lands on.
#include "terminal/CallSign.h"

#include <gtest/gtest.h>

TEST(CallSign, CallsOfEveryShapeAreTold)
{
    for (const char *call : {"W1AW", "K1ABC", "ZZ9ZZZ", "DL1ABC", "JA1XYZ", "9A1AA", "4X1AB",
                             "2E0ABC", "E73ABC", "A61AB", "3DA0ABC", "G4A", "DL/W1AW", "W1AW/P",
                             "W1AW/M", "W1AW/MM", "W1AW/QRP", "W1AW/4", "VP2/W1AW/P"})
        EXPECT_TRUE(looksLikeCallSign(call)) << call;
}

TEST(CallSign, ExchangeAndPlainWordsAreNot)
{
    for (const char *word :
         {"",      "599",   "5NN",    "0417",     "001",      "73",   "TU",   "CQ",      "DE",
          "TEST",  "CT",    "599TU",  "R2D2",     "A1",       "W1",   "1AW",  "W1ABCDE", "ABCD1EF",
          "W1AW/", "/W1AW", "W1AW/X", "DL//W1AW", "W1AW/P/P", "w1aw", "W1-AW"})
        EXPECT_FALSE(looksLikeCallSign(word)) << word;
}

TEST(CallSign, TheWordAroundAPositionHoldsSlashesButNotPunctuation)
{
    const QString line = "CQ DE DL/W1AW, K? <W1AW/P>";
    EXPECT_EQ(wordAround(line, 0), "CQ");
    EXPECT_EQ(wordAround(line, 2), "") << "a space";
    EXPECT_EQ(wordAround(line, 6), "DL/W1AW");
    EXPECT_EQ(wordAround(line, 12), "DL/W1AW");
    EXPECT_EQ(wordAround(line, 13), "") << "the comma";
    EXPECT_EQ(wordAround(line, 20), "W1AW/P");
    EXPECT_EQ(wordAround(line, -1), "");
    EXPECT_EQ(wordAround(line, int(line.size())), "");
    EXPECT_EQ(wordAround("/W1AW/", 2), "W1AW") << "slashes at the ends are punctuation";
}
