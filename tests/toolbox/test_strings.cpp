// Str255, four-character codes and the tick clock.
#include "toolbox/fourcc.h"
#include "toolbox/str255.h"
#include "toolbox/ticks.h"

#include <gtest/gtest.h>

TEST(Str255, LengthPrefixedAndCutAt255) {
    Str255 s = Str255::From("abc");
    EXPECT_EQ(s[0], 3);
    EXPECT_EQ(s[1], 'a');
    EXPECT_EQ(s.View(), "abc");

    Str255 full = Str255::From(std::string(300, 'x'));
    EXPECT_EQ(full.Length(), 255u);
    EXPECT_EQ(full.View(), std::string(255, 'x'));

    // Equality sees the length and the valid bytes only, case significant.
    Str255 a = Str255::From("AB"), b = Str255::From("ABC");
    b.SetLength(2);
    EXPECT_EQ(a, b);
    EXPECT_FALSE(a == Str255::From("ab"));
    EXPECT_FALSE(a == Str255::From("AB "));
}

TEST(FourCC, RoundTrip) {
    static_assert("ean1"_4cc == 0x65616E31);
    EXPECT_EQ(FourCCToString("i2o5"_4cc), "i2o5");
    EXPECT_EQ(FourCCFromString("c128"), "c128"_4cc);
    EXPECT_EQ(FourCCFromString("c12"), 0u);
    EXPECT_EQ(FourCCFromString("c1288"), 0u);
}

TEST(Ticks, ManualClockAndWrap) {
    SetTickCount(100);
    EXPECT_EQ(TickCount(), 100u);
    AdvanceTickCount(2);
    EXPECT_EQ(TickCount(), 102u);
    SetTickCount(0xFFFFFFFFu);
    AdvanceTickCount(2);
    EXPECT_EQ(TickCount(), 1u);
    UseSystemTickClock();
    Ticks a = TickCount(), b = TickCount();
    EXPECT_LE(a, b);
}
