// The aiming target and the confirmation box, read back from the frame
// buffer: colours, the box's bounds and the fade.
#include "tests/video/live_harness.h"

#include "engine/laser.h"
#include "video/overlays.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u;

struct Bounds {
    int left = kFrameWidth, top = kFrameHeight, right = -1, bottom = -1;
};

class Overlays : public testing::Test {
  protected:
    void SetUp() override {
        Clear();
        laser.text = Str255::From("5901234123457");
    }
    void Clear() {
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x) live.Pixel(x, y) = kBlack;
    }
    // The pixels that are no longer black.
    Bounds Painted() {
        Bounds b;
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x)
                if (live.Pixel(x, y) != kBlack) {
                    b.left = std::min(b.left, x);
                    b.right = std::max(b.right, x);
                    b.top = std::min(b.top, y);
                    b.bottom = std::max(b.bottom, y);
                }
        return b;
    }
    // The grey of the box at a point inside it below the text, elapsed
    // ticks after the acceptance.
    int BoxGreyAt(Ticks elapsed) {
        Clear();
        live.Instance()->acceptedTick = TickCount() - elapsed;
        VideoDrawConfirmation(live.Instance(), &laser);
        return int(live.Pixel(320, 463) & 0xFF);
    }

    LiveHarness live;
    Laser laser;
};

} // namespace

TEST_F(Overlays, TargetIsRedWhileScanningGreenDuringTheHoldAndAbsentWhenOff) {
    ScannerInstance* in = live.Instance();
    in->showTarget = true;
    VideoDrawOverlays(in);
    EXPECT_EQ(live.Pixel(320, 240), kRed);   // the dot
    EXPECT_EQ(live.Pixel(340, 240), kRed);   // the ring, right of the centre
    EXPECT_EQ(live.Pixel(320, 220), kRed);   // and above it
    EXPECT_EQ(live.Pixel(333, 240), kBlack); // between the two
    EXPECT_EQ(live.Pixel(345, 240), kBlack); // outside the ring
    Bounds b = Painted();
    EXPECT_EQ(b.left, 298);
    EXPECT_EQ(b.right, 341);

    in->acceptedLaser = &laser;
    VideoDrawOverlays(in);
    EXPECT_EQ(live.Pixel(320, 240), kGreen);
    EXPECT_EQ(live.Pixel(340, 240), kGreen);
    in->acceptedLaser = nullptr;

    Clear();
    in->showTarget = false;
    VideoDrawOverlays(in);
    EXPECT_EQ(Painted().right, -1);
}

TEST_F(Overlays, ConfirmationBoxIsCentredAndSizedToTheText) {
    ScannerInstance* in = live.Instance();
    in->acceptedTick = TickCount();
    VideoDrawConfirmation(in, &laser);
    const Bounds digits = Painted();
    // 48 points: y-up from 10.5 to 68.5 with a 3-pixel white edge.
    EXPECT_EQ(digits.top, 480 - 70);
    EXPECT_EQ(digits.bottom, 480 - 10);
    EXPECT_EQ(digits.left + digits.right, 639); // centred on x = 320
    EXPECT_GT(digits.right - digits.left, 64 + 13 * 20);
    EXPECT_EQ(live.Pixel(320, 480 - 12), 0xFFFFFFFFu); // the edge is white

    Clear();
    laser.text = Str255::From("");
    VideoDrawConfirmation(in, &laser);
    const Bounds empty = Painted();
    EXPECT_EQ(empty.left, 286); // 287.5 .. 352.5 and the edge
    EXPECT_EQ(empty.right, 353);
    EXPECT_EQ(empty.top, digits.top);

    Clear(); // a text too wide even at 8 points stops there
    laser.text = Str255::From(std::string(255, 'W'));
    VideoDrawConfirmation(in, &laser);
    const Bounds wide = Painted();
    EXPECT_EQ(wide.top, 480 - 30); // 8 + 20.5 and the edge
    EXPECT_GE(wide.left, 0);
}

TEST_F(Overlays, ConfirmationFadesFrom60To90Ticks) {
    const int full = BoxGreyAt(0);
    EXPECT_NEAR(full, 0.3 * 255, 1);
    EXPECT_EQ(BoxGreyAt(59), full);
    EXPECT_NEAR(BoxGreyAt(75), 0.3 * 255 * std::cos(std::acos(-1.0) / 4), 2);
    EXPECT_EQ(BoxGreyAt(90), 0);
    EXPECT_EQ(BoxGreyAt(120), 0);
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
