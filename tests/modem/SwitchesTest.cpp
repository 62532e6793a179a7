// The switch word: each word does what its button promises.
#include "Switches.h"

#include <gtest/gtest.h>

using namespace rtty;

TEST(Switches, EachWordDoesWhatItsButtonPromises)
{
    Switches s;
    EXPECT_TRUE(s.on(Function::Afc));
    EXPECT_FALSE(s.on(Function::Atc));
    s.apply(20);
    EXPECT_TRUE(s.on(Function::Atc));
    s.apply(260);
    EXPECT_TRUE(s.on(Function::Reverse));
    s.apply(0); // REV released
    EXPECT_FALSE(s.on(Function::Reverse));
    EXPECT_TRUE(s.on(Function::Atc));
    s.apply(0); // ATC released
    EXPECT_FALSE(s.on(Function::Atc));
    EXPECT_TRUE(s.on(Function::Afc));
    s.apply(0); // AFC pressed: off
    EXPECT_FALSE(s.on(Function::Afc));
    s.apply(4); // AFC released: on
    EXPECT_TRUE(s.on(Function::Afc));
    s.apply(-8);
    EXPECT_TRUE(s.on(Function::Notch));
    s.apply(8196);
    EXPECT_FALSE(s.on(Function::Notch));
    for (std::int32_t word : {12, 36, 68, 132, 516, -8})
        s.apply(word);
    s.apply(-128);
    for (Function f : {Function::Net, Function::TxBandpass, Function::Lms, Function::Squelch,
                       Function::UnshiftOnSpace, Function::Notch})
        EXPECT_FALSE(s.on(f));
    EXPECT_TRUE(s.on(Function::Afc)); // START keeps AFC as it was
    EXPECT_FALSE(s.apply(3));         // names no function
}
