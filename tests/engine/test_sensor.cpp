// The lasers and the sensor analysis: ten patterns of 37 linked lasers
// inside the frame, positions clamped to it; exact run tables for stepped
// luminance rows, and the fast window extremes against the plain 65-sample
// scan on many frames.
#include "tests/support/plain_sensor.h"

#include "engine/laser.h"
#include "engine/scanner_instance.h"
#include "engine/sensor.h"
#include "video/null_video.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
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

struct Row {
    int startX, startY, endX, endY, samples;
    bool operator==(const Row&) const = default;
};

Row RowOf(const Laser* l) {
    return {int(l->startX), int(l->startY), int(l->endX), int(l->endY), l->sampleCount};
}

std::ostream& operator<<(std::ostream& o, const Row& r) {
    return o << "(" << r.startX << "," << r.startY << ")->(" << r.endX << "," << r.endY << ") "
             << r.samples;
}

struct Run {
    double start, width;
    unsigned isBar;
};

std::vector<Run> Analyze(ScannerInstance* s, const std::vector<int>& lums) {
    for (std::size_t x = 0; x < lums.size(); ++x) Pixels(s)[x] = PixelOfLuminance(lums[x]);
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

TEST(Lasers, TenPatternsOf37LinkedLasersInsideTheFrame) {
    auto s = Instance();
    for (int p = 0; p < kPatternCount; ++p) {
        int count = 0;
        Laser* prev = nullptr;
        for (Laser* l = s->laserHeads[p]; l; l = l->next) {
            EXPECT_EQ(l->prev, prev);
            EXPECT_EQ(l->owner, s.get());
            Row r = RowOf(l);
            EXPECT_TRUE(r.startX >= 0 && r.endX < kFrameWidth && r.startY >= 0 &&
                        r.endY < kFrameHeight && r.startY < kFrameHeight && r.endY >= 0)
                << r;
            EXPECT_EQ(r.samples, std::max(std::abs(r.endX - r.startX), std::abs(r.endY - r.startY)))
                << r;
            prev = l;
            ++count;
        }
        EXPECT_EQ(count, 37) << "pattern " << p;
        EXPECT_EQ(s->laserTails[p], prev);
    }
}

TEST(Lasers, PositionIsClampedAndStepsAlongTheLongAxis) {
    auto s = Instance();
    std::unique_ptr<Laser> l(NewLaser(s.get(), -1, -5, 10, 700, 10));
    EXPECT_EQ(l->owner, nullptr);
    EXPECT_EQ(l->prev, nullptr);
    EXPECT_EQ(RowOf(l.get()), (Row{0, 10, 639, 10, 639}));
    EXPECT_EQ(l->stepX, 1.0);
    EXPECT_EQ(l->stepY, 0.0);

    SetLaserPosition(s.get(), l.get(), 320, 479, 320, 0);
    EXPECT_EQ(l->sampleCount, 479);
    EXPECT_EQ(l->stepY, -1.0);
    EXPECT_EQ(l->stepX, 0.0);

    SetLaserPosition(s.get(), l.get(), 10, 10, 110, 110); // a tie takes y
    EXPECT_EQ(l->stepY, 1.0);
    EXPECT_EQ(l->stepX, 1.0);
    EXPECT_EQ(l->sampleCount, 100);

    SetLaserPosition(s.get(), l.get(), 50, 60, 50, 60);
    EXPECT_EQ(l->sampleCount, 0);
}

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
