// The aiming target and the confirmation box, read back from the frame
// buffer: what a user sees of them, not where each pixel lies.
#include "tests/video/live_harness.h"

#include "engine/laser.h"
#include "video/overlays.h"

#include <array>
#include <map>
#include <string>

using Overlays = LiveHarness;

TEST_F(Overlays, TargetRedWhileScanningGreenDuringTheHoldAndTheBoxGoneAfterTwoSeconds) {
    constexpr std::uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u;
    Laser laser;
    // The frame black again, then paint; the painted pixels by colour.
    auto painted = [&](auto paint) {
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x) Pixel(x, y) = kBlack;
        paint();
        std::map<std::uint32_t, int> colours;
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x)
                if (Pixel(x, y) != kBlack) ++colours[Pixel(x, y)];
        return colours;
    };
    auto overlays = [&] { VideoDrawOverlays(in); };

    in->showTarget = true;
    EXPECT_GT(painted(overlays)[kRed], 100);
    in->acceptedLaser = &laser;
    const auto hold = painted(overlays);
    EXPECT_EQ(hold.count(kRed), 0u);
    EXPECT_GT(hold.at(kGreen), 100);
    in->acceptedLaser = nullptr;
    in->showTarget = false;
    EXPECT_TRUE(painted(overlays).empty());

    // The box with its text in white (the longest text and none too), until
    // two seconds after the read.
    const struct {
        std::string text;
        Ticks elapsed;
        bool shown;
    } boxes[] = {{"5901234123457", 0, true},
                 {"", 0, true},
                 {std::string(255, 'W'), 0, true},
                 {"5901234123457", 59, true},
                 {"5901234123457", 90, false}};
    for (const auto& [text, elapsed, shown] : boxes) {
        in->acceptedTick = TickCount() - elapsed;
        laser.text = Str255::From(text);
        const auto box = painted([&] { VideoDrawConfirmation(in, &laser); });
        EXPECT_EQ(box.contains(0xFFFFFFFFu), shown) << text.size() << " at " << elapsed;
        EXPECT_EQ(box.empty(), !shown) << text.size() << " at " << elapsed;
    }
}

// The box shows a read's text as every delivery has it, UTF-8 ("Grüße" from
// a Code 128 with FNC4); a byte that begins no UTF-8 sequence is Mac Roman.
TEST_F(Overlays, TheBoxShowsTheReadAsUtf8) {
    std::array<char, 64> out{};
    MacRomanToUtf8("Grüße", out);
    EXPECT_STREQ(out.data(), "Grüße");
    MacRomanToUtf8("\x8a", out);
    EXPECT_STREQ(out.data(), "ä");
}
