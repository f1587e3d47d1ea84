// The averaged samples of the remembered frames: a code jittered by a few
// pixels from frame to frame averages to its own profile with the noise
// halved; a frame of another picture, and a still shown again, are left out.
#include "engine/frame_history.h"
#include "engine/laser.h"
#include "engine/scanner_instance.h"
#include "engine/sensor.h"
#include "tests/support/random.h"
#include "video/null_video.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Bars of 2 to 6 pixels across the frame, grey 60 and 200 with edges
// blurred over 3 pixels, moved right by shift pixels, with noise.
void ShowStripes(ScannerInstance* s, std::uint64_t pattern, int shift, double noise,
                 std::uint64_t seed) {
    TestRandom bars(pattern), grain(seed);
    std::vector<int> grey(kFrameWidth + 8);
    bool bar = false;
    for (std::size_t x = 0; x < grey.size(); bar = !bar)
        for (int w = bars.Int(2, 6); w > 0 && x < grey.size(); --w) grey[x++] = bar ? 60 : 200;
    for (std::size_t x = 0; x + 2 < grey.size(); ++x)
        grey[x] = (grey[x] + grey[x + 1] + grey[x + 2]) / 3;
    auto* pixels = reinterpret_cast<std::uint32_t*>(s->frameBase);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x) {
            const int g = std::clamp(
                int(std::lround(grey[std::size_t(x + 4 - shift)] + noise * grain.Normal())), 0,
                255);
            pixels[y * kFrameWidth + x] = 0xFF000000u | std::uint32_t(g * 0x010101);
        }
    NewFrameArrived(s);
}

double Deviation(const std::vector<int>& a, const std::vector<int>& b) {
    double sum = 0;
    for (std::size_t k = 0; k < a.size(); ++k) sum += double(a[k] - b[k]) * (a[k] - b[k]);
    return std::sqrt(sum / double(a.size()));
}

TEST(FrameHistory, JitteredFramesAverageToTheProfileAndOthersAreLeftOut) {
    InstancePtr s(NewInstance(nullptr, nullptr, NullVideoHooks()));
    Laser* laser = s->laserHeads[0];
    SetLaserPosition(s.get(), laser, 0, 240, kFrameWidth - 1, 240);
    std::vector<int> clean(kMaxElements), noisy(kMaxElements);
    ShowStripes(s.get(), 1, 0, 0, 0);
    const int n = SampleLaser(s.get(), laser, clean.data());
    clean.resize(std::size_t(n)), noisy.resize(std::size_t(n));

    for (int shift : {2, -1, 1}) { // the frames before, jittered
        ShowStripes(s.get(), 1, shift, 5, std::uint64_t(10 + shift));
        RememberFrame(s.get());
    }
    ShowStripes(s.get(), 1, 0, 5, 99);
    SampleLaser(s.get(), laser, noisy.data());
    std::vector<int> averaged = noisy;
    EXPECT_EQ(AverageOverFrames(s.get(), laser, averaged.data(), n), 4);
    EXPECT_LT(Deviation(averaged, clean), 0.6 * Deviation(noisy, clean)) << Deviation(noisy, clean);

    ShowStripes(s.get(), 2, 0, 5, 98); // another picture: nothing to average with
    SampleLaser(s.get(), laser, noisy.data());
    EXPECT_EQ(AverageOverFrames(s.get(), laser, noisy.data(), n), 1);
    ForgetFrames(s.get()); // as an accepted read does
    ShowStripes(s.get(), 1, 0, 5, 97);
    EXPECT_EQ(AverageOverFrames(s.get(), laser, noisy.data(), n), 1);
    RememberFrame(s.get());
    NewFrameArrived(s.get()); // the same frame again, as a still is shown
    EXPECT_EQ(AverageOverFrames(s.get(), laser, noisy.data(), n), 1);
}

} // namespace
