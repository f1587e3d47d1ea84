// What photographs of real packaging do to a barcode, on libzint-drawn
// symbols: perspective (the module width grows from one end to the other),
// a crop tight against the bars, heavy defocus and strong uneven light.
// Each frame is shown for two turns of the patterns with every symbology
// on and must deliver exactly its text, first and only.
#include "tests/support/image_case.h"

#include "engine/dispatch.h"
#include "engine/frame_sweep.h"
#include "engine/symbology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace {

constexpr std::uint32_t kBackground = 0xFF6E6E6Eu; // what lies beside the label
constexpr double kCentreX = kFrameWidth / 2.0, kCentreY = kFrameHeight / 2.0;

// Where a frame pixel looks in the flat frame; false when it sees nothing
// of it.
using Warp = std::function<bool(double x, double y, double& sx, double& sy)>;

Frame Warped(const Frame& flat, const Warp& warp) {
    Frame out(kFrameWidth, kFrameHeight, kBackground);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x) {
            double sx, sy;
            if (!warp(x + 0.5, y + 0.5, sx, sy) || sx < 0.5 || sy < 0.5 ||
                sx > kFrameWidth - 0.501 || sy > kFrameHeight - 0.501)
                continue;
            std::uint32_t& pixel = out.At(x, y) = 0xFF000000u;
            for (int shift : {0, 8, 16})
                pixel |=
                    std::uint32_t(std::lround(Bilinear(
                        sx - 0.5, sy - 0.5,
                        [&](int i, int j) { return double((flat.At(i, j) >> shift) & 0xFF); })))
                    << shift;
        }
    return out;
}

// Seen at a slant: a homography whose scale runs from 1 - k/2 at the left
// border to 1 + k/2 at the right.
Frame Perspective(const Frame& flat, double k) {
    const double g = k / kFrameWidth;
    return Warped(flat, [g](double x, double y, double& sx, double& sy) {
        const double d = 1 + g * (x - kCentreX);
        sx = kCentreX + (x - kCentreX) / d;
        sy = kCentreY + (y - kCentreY) / d;
        return true;
    });
}

// What the camera does to the flat frame, its strength drawn from the seed.
using Camera = std::function<Frame(const Frame&, TestRandom&)>;

struct FaultCase {
    const char* fault;
    int symbology;
    const char* data;
    const char* expected; // worked out by hand from the data
    RenderOptions look;
    Camera camera = [](const Frame& f, TestRandom&) { return f; };
    OSType supplement = kSupplementIgnore;
};

RenderOptions Look(double ppm, double angle, double blur, double contrast, double lighting,
                   double offsetX = 0) {
    RenderOptions o;
    o.pixelsPerModule = ppm;
    o.angleDegrees = angle;
    o.blurSigma = blur;
    o.noiseSigma = 3;
    o.contrast = contrast;
    o.lighting = lighting;
    o.offsetX = offsetX;
    o.seed = 20261207;
    return o;
}

// The symbol's first bar a few pixels from the frame's left border.
RenderOptions TightCrop(int symbology, const char* data, double ppm) {
    const BarPattern bars = EncodeBars(symbology, data);
    const double half = (bars.Right() - bars.Left()) * ppm / 2;
    return Look(ppm, 0, 0.6, 0.75, 0.1, half + 3 - kCentreX);
}

// A webcam clip of the symbol held still by hand: frames times the same
// scene, each moved by up to `jitter` pixels either way, its gain within
// 7 % and sensor noise of sigma 5 drawn anew.
std::vector<Frame> LiveClip(int zintSymbology, std::string_view data, const RenderOptions& look,
                            int frames, double jitter) {
    TestRandom random(look.seed);
    std::vector<Frame> clip;
    for (int i = 0; i < frames; ++i) {
        RenderOptions o = look;
        o.offsetX += random.Uniform(-jitter, jitter);
        o.offsetY += random.Uniform(-jitter, jitter);
        o.noiseSigma = 5;
        o.seed = random.Next();
        Frame frame = RenderBarcode(zintSymbology, data, o);
        const double gain = random.Uniform(0.93, 1.07);
        for (std::uint32_t& p : frame.pixels) {
            std::uint32_t q = 0xFF000000u;
            for (int shift : {0, 8, 16})
                q |= std::uint32_t(std::min(255.0, std::round(((p >> shift) & 0xFF) * gain)))
                     << shift;
            p = q;
        }
        clip.push_back(std::move(frame));
    }
    return clip;
}

// The clip's frames to a fresh harness as the camera gives them (every
// symbology on, add-ons optional), and the still (its first frame) as
// kestrix-scan shows a picture: one turn of the patterns, then the sweep of
// the whole frame. The reads of each, each named.
std::vector<std::pair<const char*, std::vector<ScanRead>>>
ReadClipAndStill(const std::vector<Frame>& clip) {
    ScanHarness live, still;
    for (ScanHarness* h : {&live, &still}) {
        h->SetAllSymbologies(true);
        h->SetSupplementMode(kSupplementOptional);
    }
    for (const Frame& frame : clip) live.Feed(frame);
    still.Run(clip.front(), kFramesPerTurn);
    SweepWholeFrame(still.Instance());
    DeliverAwaitedRead(still.Instance());
    return {{"live", live.Reads()}, {"still", still.Reads()}};
}

} // namespace

TEST(PhotoFaults, EachDeliversExactlyItsText) {
    // Seen at a slant of lo to hi, drawn from the seed.
    auto slant = [](double lo, double hi) {
        return [=](const Frame& f, TestRandom& r) { return Perspective(f, r.Uniform(lo, hi)); };
    };
    const FaultCase cases[] = {
        {"perspective", BARCODE_EANX, "400638133393", "4006381333931", Look(3.2, 2, 0.7, 0.75, 0.1),
         slant(0.3, 0.5)},
        {"perspective", BARCODE_CODE128, "Shelf 12-B", "Shelf 12-B", Look(2.8, -3, 0.6, 0.7, 0.1),
         slant(0.3, 0.45)},
        {"tight crop", BARCODE_EANX, "978020137962", "9780201379624",
         TightCrop(BARCODE_EANX, "978020137962", 3.0)},
        {"tight crop", BARCODE_CODE128, "KX-2026-0042", "KX-2026-0042",
         TightCrop(BARCODE_CODE128, "KX-2026-0042", 2.6)},
        {"heavy defocus", BARCODE_EANX, "590123412345", "5901234123457",
         Look(3.5, 4, 1.9, 0.75, 0.1)},
        {"heavy defocus", BARCODE_CODE39, "LIB4711", "LIB4711", Look(3.0, -2, 1.6, 0.75, 0.1)},
        {"uneven light", BARCODE_UPCA, "01234567890", "0012345678905",
         Look(3.0, -5, 0.6, 0.55, 0.5)},
        {"uneven light", BARCODE_C25INTER, "12345670", "12345670", Look(3.0, 3, 0.6, 0.55, 0.5)},
        // Add-ons required: a laser that leaves the add-on's last bar through
        // its end sees a digit of 6 modules, "17" if it were taken.
        {.fault = "add-on left through a bar's end",
         .symbology = BARCODE_UPCA,
         .data = "01234567890+12",
         .expected = "0012345678905 12",
         .look = Look(2.5, 336, 0.5, 0.8, 0.1),
         .supplement = kSupplementRequire},
    };
    for (const FaultCase& c : cases) {
        for (std::uint64_t seed : {20261207u, 2u, 3u}) {
            SCOPED_TRACE(std::string(c.fault) + " " + c.data + " seed " + std::to_string(seed));
            TestRandom random(seed);
            RenderOptions look = c.look;
            look.seed = seed;
            const Frame frame = c.camera(RenderBarcode(c.symbology, c.data, look), random);
            ScanHarness harness;
            harness.SetAllSymbologies(true);
            harness.SetSupplementMode(c.supplement);
            const std::vector<ScanRead> reads = harness.Run(frame, 2 * kFramesPerTurn);
            EXPECT_FALSE(reads.empty()) << "nothing read";
            for (const ScanRead& r : reads) EXPECT_EQ(r.text, c.expected);
        }
    }
}

// The camera's reading of codes held where the aimed lasers do not read
// them, as 30-frame clips with jitter, gain and noise: each delivers
// exactly its text, first and only, from the slices of the whole-picture
// sweep. As stills, kestrix-scan's sweep reads them too. A text needs two
// lines of the sweep, or one and a line 2 to 3 pixels beside it; a UPC-E
// or EAN-8 lines 4 pixels to either side as well. Strips of bars held still
// on a row of the sweep (rows 6 pixels apart, from y = 3) show where.
TEST(PhotoFaults, CodesAwayFromTheAimAreReadFromClips) {
    struct ClipCase {
        const char* where;
        int symbology;
        const char* data;
        const char* expected; // null: nothing may be delivered
        RenderOptions look;
        double offsetY;
        double barHeight = 30; // modules
        double jitter = 1.5;   // pixels
    };
    // Centred on row 99, 2.2 pixels a module.
    const RenderOptions onRow = Look(2.2, 0, 0.45, 0.7, 0.1, -150);
    const ClipCase cases[] = {
        {"top left corner", BARCODE_EANX, "400638133393", "4006381333931",
         Look(2.2, 0, 0.6, 0.7, 0.1, -190), -140},
        {"right edge, upright", BARCODE_UPCA, "03600029145", "0036000291452",
         Look(2.2, 90, 0.6, 0.7, 0.1, 250), 0},
        // Bars 10 pixels short: two rows of the sweep cross them, and lines
        // 4 pixels beside either leave them.
        {"top left, short bars", BARCODE_UPCE, "0123456", "0012345000065",
         Look(2.2, 0, 0.6, 0.7, 0.1, -200), -199, 4.5},
        {"a strip 5 pixels tall", BARCODE_UPCA, "03600029145", "0036000291452", onRow, -140.5,
         5 / 2.2, 0},
        {"a strip 1 pixel tall: one line", BARCODE_UPCA, "03600029145", nullptr, onRow, -140.5,
         1 / 2.2, 0},
        {"a UPC-E strip 5 pixels tall", BARCODE_UPCE, "0123456", nullptr, onRow, -140.5, 5 / 2.2,
         0},
    };
    for (ClipCase c : cases) {
        SCOPED_TRACE(c.where);
        c.look.offsetY = c.offsetY;
        c.look.barHeight = c.barHeight;
        const std::vector<Frame> clip = LiveClip(c.symbology, c.data, c.look, 30, c.jitter);
        for (const auto& [how, got] : ReadClipAndStill(clip)) {
            if (!c.expected) {
                EXPECT_TRUE(got.empty()) << how << ": " << Describe(got);
                continue;
            }
            EXPECT_FALSE(got.empty()) << how << ": nothing read";
            for (const ScanRead& r : got) EXPECT_EQ(r.text, c.expected) << how;
        }
    }
}

// An EAN-13 whose 2-digit add-on the frame's edge cuts, at each edge and
// several depths into the add-on (in modules from its last bar), as a clip
// and as a still: never another add-on, only the main number or nothing.
TEST(PhotoFaults, AddOnCutByTheFrameNeverReadsAsAnother) {
    const BarPattern bars = EncodeBars(BARCODE_EANX, "978020175284+59");
    ASSERT_TRUE(bars.Ok());
    const double ppm = 2.5, fromMiddle = bars.Right() - (bars.Left() + bars.Right()) / 2;
    for (double angle : {0.0, 90.0, 180.0, 270.0}) {
        const double halfFrame = int(angle) % 180 ? kFrameHeight / 2.0 : kFrameWidth / 2.0;
        for (double depth : {1.0, 2.5, 4.0, 6.5, 9.0, 12.0}) {
            RenderOptions look = Look(ppm, angle, 0.8, 0.7, 0, 0);
            look.seed = std::uint64_t(angle * 100 + depth * 10);
            const double shift = halfFrame - (fromMiddle - depth) * ppm;
            look.offsetX = shift * std::cos(angle * std::numbers::pi / 180);
            look.offsetY = -shift * std::sin(angle * std::numbers::pi / 180);
            const auto clip = LiveClip(BARCODE_EANX, "978020175284+59", look, 20, 1.5);
            for (const auto& [how, got] : ReadClipAndStill(clip))
                for (const ScanRead& r : got)
                    EXPECT_EQ(r.text, "9780201752847")
                        << how << " angle " << angle << " depth " << depth;
        }
    }
}
