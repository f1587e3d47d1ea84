// Sensor analysis: exact run tables for stepped luminance rows, and the
// fast window extremes against the plain 65-sample scan on many frames.
#include "bench/plain_sensor.h"
#include "frame_paint.h"

#include "engine/sensor.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

InstancePtr Instance() {
    return InstancePtr(NewInstance(nullptr, nullptr));
}

struct Run {
    double start, width;
    unsigned isBar;
};

std::vector<Run> Analyze(ScannerInstance* s, const std::vector<int>& lums) {
    PaintRow(s, 0, lums);
    std::unique_ptr<Laser> laser(NewLaser(s, -1, 0, 0, int(lums.size()), 0));
    AnalyzeSensor(s, laser.get());
    std::vector<Run> runs;
    for (const Element& e : laser->Runs()) runs.push_back({e.start, e.width, e.isBar});
    return runs;
}

std::vector<int> Steps(std::initializer_list<std::pair<int, int>> spans) {
    std::vector<int> lums;
    for (auto [count, lum] : spans) lums.insert(lums.end(), count, lum);
    return lums;
}

void ExpectRuns(const std::vector<Run>& got, const std::vector<Run>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_DOUBLE_EQ(got[i].start, want[i].start) << "run " << i;
        EXPECT_DOUBLE_EQ(got[i].width, want[i].width) << "run " << i;
        EXPECT_EQ(got[i].isBar, want[i].isBar) << "run " << i;
    }
}

} // namespace

TEST(Sensor, RunTablesOfSteps) {
    auto s = Instance();
    // A dark run farther than 32 samples from any contrast counts as light.
    ExpectRuns(Analyze(s.get(), Steps({{100, 0}, {200, 1020}})),
               {{0.0, 68.0, 0}, {68.0, 32.5, 1}, {100.5, 199.5, 0}});
    // Dark from the first sample: a space of width 0, then the bar.
    ExpectRuns(Analyze(s.get(), Steps({{10, 0}, {290, 1020}})),
               {{0.0, 0.0, 0}, {0.0, 10.5, 1}, {10.5, 289.5, 0}});
    // Interior widths are exact.
    ExpectRuns(Analyze(s.get(), Steps({{50, 1020}, {5, 0}, {245, 1020}})),
               {{0.0, 50.5, 0}, {50.5, 5.0, 1}, {55.5, 244.5, 0}});
    // A range of 149 is flat; 150 is contrast enough.
    EXPECT_TRUE(Analyze(s.get(), Steps({{100, 100}, {200, 249}})).empty());
    ExpectRuns(Analyze(s.get(), Steps({{100, 100}, {200, 250}})),
               {{0.0, 68.0, 0}, {68.0, 32.5, 1}, {100.5, 199.5, 0}});
}

TEST(Sensor, UniformFrameHasNoRuns) {
    auto s = Instance();
    Fill(s.get(), 0xFF808080);
    for (Laser* head : s->laserHeads)
        for (Laser* l = head; l; l = l->next) {
            AnalyzeSensor(s.get(), l);
            EXPECT_EQ(l->elementCount, 0);
        }
}

// Every laser of every pattern, over frames that stress the window
// extremes: noise at all contrasts, random bars, ramps near the threshold.
TEST(Sensor, FastWindowMatchesThePlainScan) {
    unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    auto s = Instance();
    auto reference = std::make_unique<Laser>();
    for (int frame = 0; frame < 12; ++frame) {
        std::uint32_t* px = Pixels(s.get());
        int kind = frame % 4;
        int amplitude = 60 + int(rng() % 960);
        for (int y = 0; y < kFrameHeight; ++y)
            for (int x = 0; x < kFrameWidth; ++x) {
                int lum = 0;
                switch (kind) {
                case 0:
                    lum = int(rng() % (amplitude + 1));
                    break; // noise
                case 1:
                    lum = ((x / (1 + (x * 7 + y) % 9)) % 2) * amplitude;
                    break; // bars
                case 2:
                    lum = (x * 3 + y) % 300 / 2 + int(rng() % 3);
                    break; // ramps at 149/150
                default:
                    lum = (rng() % 50 == 0) ? 1020 : 300; // sparse spikes
                }
                px[y * kFrameWidth + x] = PixelOfLuminance(std::min(lum, 1020));
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

TEST(Sensor, ApproxAndScore) {
    EXPECT_TRUE(Approx(3.0, 4.0));
    EXPECT_TRUE(Approx(4.0, 3.0));
    EXPECT_FALSE(Approx(2.9, 4.0));
    EXPECT_TRUE(Approx(5.0, 5.0));
    EXPECT_EQ(ApproxScore(2.0, 8.0), 0.25);
    EXPECT_EQ(ApproxScore(8.0, 2.0), 0.25);
    EXPECT_EQ(ApproxScore(3.0, 3.0), 1.0);
}
