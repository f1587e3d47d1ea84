// The lasers and the sensor analysis: a turn of the patterns crosses the
// centre in every direction; exact run tables for stepped luminance rows;
// the fast window extremes against the plain 65-sample scan on many frames;
// the edges of the harder reading on a symbol of low contrast.
#include "tests/support/plain_sensor.h"

#include "engine/decode.h"
#include "engine/laser.h"
#include "engine/scanner_instance.h"
#include "engine/sensor.h"
#include "engine/sensor_edges.h"
#include "symbologies/decoders.h"
#include "tests/support/random.h"
#include "tests/support/render_barcode.h"
#include "video/null_video.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>
#include <vector>

namespace {

InstancePtr Instance() {
    return InstancePtr(NewInstance(nullptr, nullptr, NullVideoHooks()));
}

// A grey pixel whose luminance (red + 2 green + blue) is exactly lum.
std::uint32_t PixelOfLuminance(int lum) {
    int g = std::clamp(lum / 4, std::max(0, (lum - 510 + 1) / 2), std::min(255, lum / 2));
    int rest = lum - 2 * g, r = std::min(255, rest), b = rest - r;
    return 0xFF000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

std::uint32_t* Pixels(ScannerInstance* s) {
    return reinterpret_cast<std::uint32_t*>(s->frameBase);
}

using Runs = std::vector<std::tuple<double, double, unsigned>>; // start, width, bar

// The run table of a laser along the top row, whose luminance steps through
// the spans (count, luminance).
Runs Analyze(ScannerInstance* s, std::initializer_list<std::pair<int, int>> spans) {
    int x = 0;
    for (auto [count, lum] : spans)
        for (int i = 0; i < count; ++i) Pixels(s)[x++] = PixelOfLuminance(lum);
    std::unique_ptr<Laser> laser(NewLaser(s, -1, 0, 0, x, 0));
    AnalyzeSensor(s, laser.get());
    Runs runs;
    for (const Element& e : laser->Runs()) runs.emplace_back(e.start, e.width, e.isBar);
    return runs;
}

} // namespace

// Ten frames, one turn of the patterns, try every direction through the
// frame's centre at one-degree spacing.
TEST(Lasers, ATurnCrossesTheCentreInEveryDirectionAtOneDegreeSpacing) {
    auto s = Instance();
    std::vector<double> directions;
    for (Laser* head : s->laserHeads)
        for (Laser* l = head; l; l = l->next) {
            const double dx = l->endX - l->startX, dy = l->endY - l->startY;
            EXPECT_LT(std::fabs((320 - l->startX) * dy - (240 - l->startY) * dx) /
                          std::hypot(dx, dy),
                      1.0)
                << l->startX << "," << l->startY << " to " << l->endX << "," << l->endY;
            directions.push_back(
                std::fmod(std::atan2(-dy, dx) * 180 / std::numbers::pi + 360, 180));
        }
    std::ranges::sort(directions);
    double widest = directions.front() + 180 - directions.back();
    for (std::size_t i = 1; i < directions.size(); ++i)
        widest = std::max(widest, directions[i] - directions[i - 1]);
    EXPECT_LE(widest, 1.2);
}

TEST(Sensor, RunTablesOfSteps) {
    auto s = Instance();
    // A dark run farther than 32 samples from any contrast counts as light.
    const Runs step = {{0.0, 68.0, 0}, {68.0, 32.5, 1}, {100.5, 199.5, 0}};
    EXPECT_EQ(Analyze(s.get(), {{100, 0}, {200, 1020}}), step);
    // Dark from the first sample: a space of width 0, then the bar.
    EXPECT_EQ(Analyze(s.get(), {{10, 0}, {290, 1020}}),
              (Runs{{0.0, 0.0, 0}, {0.0, 10.5, 1}, {10.5, 289.5, 0}}));
    // Interior widths are exact.
    EXPECT_EQ(Analyze(s.get(), {{50, 1020}, {5, 0}, {245, 1020}}),
              (Runs{{0.0, 50.5, 0}, {50.5, 5.0, 1}, {55.5, 244.5, 0}}));
    // A range of 149 is flat; 150 is contrast enough.
    EXPECT_TRUE(Analyze(s.get(), {{100, 100}, {200, 249}}).empty());
    EXPECT_EQ(Analyze(s.get(), {{100, 100}, {200, 250}}), step);
}

// Every laser of every pattern, over frames that stress the window
// extremes: noise at all contrasts, random bars, ramps near the threshold,
// sparse spikes.
TEST(Sensor, FastWindowMatchesThePlainScan) {
    auto s = Instance();
    auto reference = std::make_unique<Laser>();
    for (int frame = 0; frame < 12; ++frame) {
        TestRandom random(std::uint64_t(frame + 1));
        const int amplitude = random.Int(60, 1020);
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x) {
                const int lum = frame % 4 == 0        ? random.Int(0, amplitude)
                                : frame % 4 == 1      ? (x / (1 + (x * 7 + y) % 9)) % 2 * amplitude
                                : frame % 4 == 2      ? (x * 3 + y) % 300 / 2 + random.Int(0, 2)
                                : random.Chance(0.02) ? 1020
                                                      : 300;
                Pixels(s.get())[y * kFrameWidth + x] = PixelOfLuminance(lum);
            }
        for (Laser* head : s->laserHeads)
            for (Laser* l = head; l; l = l->next) {
                AnalyzeSensor(s.get(), l);
                *reference = *l;
                AnalyzeSensorPlain(s.get(), reference.get());
                ASSERT_EQ(l->elementCount, reference->elementCount) << "frame " << frame;
                for (int k = 0; k < l->elementCount; ++k) {
                    ASSERT_EQ(l->elements[k].start, reference->elements[k].start);
                    ASSERT_EQ(l->elements[k].width, reference->elements[k].width);
                    ASSERT_EQ(l->elements[k].isBar, reference->elements[k].isBar);
                }
            }
    }
}

// The edges of the harder reading's second look over a laser across a
// libzint EAN-13 of low contrast on a sensor of little noise: the symbol's
// edges, not the noise's in the quiet zones and the bars.
TEST(Sensor, EdgesOfALowContrastSymbol) {
    for (double contrast : {0.2, 0.3}) {
        RenderOptions look;
        look.pixelsPerModule = 2.5;
        look.blurSigma = 0.6;
        look.noiseSigma = 3;
        look.contrast = contrast;
        look.seed = std::uint64_t(contrast * 100);
        const Frame frame = RenderBarcode(BARCODE_EANX, "590123412345", look);
        auto s = Instance();
        std::copy(frame.pixels.begin(), frame.pixels.end(), Pixels(s.get()));
        std::unique_ptr<Laser> laser(NewLaser(s.get(), -1, 0, 240, 639, 240));
        AnalyzeSensor(s.get(), laser.get());
        AnalyzeSamplesEdges(laser.get(), laser->samples, laser->samplesTaken);
        laser->rules = kRulesSecondLook;
        EXPECT_TRUE(DecodeBarsEAN13(DecodeOptionsOf(s.get()), laser.get())) << contrast;
        EXPECT_EQ(laser->text.ToString(), "5901234123457");
    }
}
