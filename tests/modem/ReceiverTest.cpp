// The receive chain against the channel simulator: text in, text out.
#include "Receiver.h"

#include "Channel.h"
#include "CharacterErrorRate.h"
#include "ReceiveText.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const std::string Contact =
    "CQ CQ CQ DE ZZ9ZZZ ZZ9ZZZ PSE K\r\n"
    "ZZ9ZZZ DE W1AW W1AW GA OM UR RST 599 599 NAME JOHN QTH NEWINGTON CT\r\n"
    "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 -?:()$'.,/\r\n";

} // namespace

TEST(Receiver, CleanSignalDecodesExactly)
{
    channel::Settings clean;
    const std::string text = receiveText(channel::transmit(Contact, clean));
    EXPECT_EQ(cer::fold(text), cer::fold(Contact)) << text;
}

TEST(Receiver, TenDbSnrDecodesAlmostEverything)
{
    channel::Settings s;
    s.snrDb = 10;
    const std::string text = receiveText(channel::transmit(Contact + Contact, s));
    EXPECT_LE(cer::characterErrorRate(Contact + Contact, text), 0.005) << text;
}

TEST(Receiver, ZeroDbSnr)
{
    channel::Settings s;
    s.snrDb = 0;
    const std::string text = receiveText(channel::transmit(Contact + Contact, s));
    EXPECT_LE(cer::characterErrorRate(Contact + Contact, text), 0.01) << text;
}
