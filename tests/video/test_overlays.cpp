// The aiming target and the confirmation box, read back from the frame
// buffer: what a user sees of them, not where each pixel lies.
#include "tests/video/live_harness.h"

#include "engine/laser.h"
#include "video/overlays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u;

class Overlays : public testing::Test {
  protected:
    // The frame black again, then the confirmation of the text drawn
    // elapsed ticks after its acceptance; the painted pixels by colour.
    std::map<std::uint32_t, int> Confirmation(const std::string& text, Ticks elapsed) {
        live.Instance()->acceptedTick = TickCount() - elapsed;
        laser.text = Str255::From(text);
        return Draw([&] { VideoDrawConfirmation(live.Instance(), &laser); });
    }
    template <class Paint>
    std::map<std::uint32_t, int> Draw(Paint paint) {
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x) live.Pixel(x, y) = kBlack;
        paint();
        std::map<std::uint32_t, int> painted;
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x)
                if (live.Pixel(x, y) != kBlack) ++painted[live.Pixel(x, y)];
        return painted;
    }

    LiveHarness live;
    Laser laser;
};

} // namespace

TEST_F(Overlays, TargetIsRedWhileScanningGreenDuringTheHoldAndAbsentWhenOff) {
    ScannerInstance* in = live.Instance();
    in->showTarget = true;
    EXPECT_GT(Draw([&] { VideoDrawOverlays(in); })[kRed], 100);
    EXPECT_EQ(live.Pixel(320, 240), kRed); // the dot on the aim
    in->acceptedLaser = &laser;
    const auto hold = Draw([&] { VideoDrawOverlays(in); });
    EXPECT_EQ(hold.count(kRed), 0u);
    EXPECT_GT(hold.at(kGreen), 100);
    in->acceptedLaser = nullptr;
    in->showTarget = false;
    EXPECT_TRUE(Draw([&] { VideoDrawOverlays(in); }).empty());
}

TEST_F(Overlays, ConfirmationShowsInWhiteOnGreyUntilItFadesOutAfterTwoSeconds) {
    // The box's grey: the colour most of the painted pixels have.
    auto boxGrey = [](const std::map<std::uint32_t, int>& painted) {
        const auto most = std::ranges::max_element(
            painted, [](const auto& a, const auto& b) { return a.second < b.second; });
        return most == painted.end() ? 0 : int(most->first & 0xFF);
    };
    const auto shown = Confirmation("5901234123457", 0);
    EXPECT_GT(shown.count(0xFFFFFFFFu), 0u); // the text and the box's edge
    EXPECT_NEAR(boxGrey(shown), 0.3 * 255, 1);
    EXPECT_EQ(Confirmation("5901234123457", 59), shown);
    const int fading = boxGrey(Confirmation("5901234123457", 75));
    EXPECT_GT(fading, 0);
    EXPECT_LT(fading, boxGrey(shown) - 5);
    EXPECT_TRUE(Confirmation("5901234123457", 90).empty());
    // No text and the longest text get their box too.
    EXPECT_NEAR(boxGrey(Confirmation("", 0)), 0.3 * 255, 1);
    EXPECT_NEAR(boxGrey(Confirmation(std::string(255, 'W'), 0)), 0.3 * 255, 1);
}

// The box shows a read's text as every delivery has it, UTF-8 ("Grüße" from
// a Code 128 with FNC4); a byte that begins no UTF-8 sequence is Mac Roman.
TEST(OverlayText, TheBoxShowsTheReadAsUtf8) {
    std::array<char, 64> out{};
    MacRomanToUtf8("Gr\xc3\xbc\xc3\x9f"
                   "e",
                   out);
    EXPECT_STREQ(out.data(), "Gr\xc3\xbc\xc3\x9f"
                             "e");
    MacRomanToUtf8("\x8a", out);
    EXPECT_STREQ(out.data(), "\xc3\xa4");
}
