// A sample is dark when it lies below the mean of the samples within 4 on
// either side, light above it; the run changes only when the sample is
// farther than the noise floor from that mean, and its edge is placed where
// the difference to the mean last changed sign, interpolated between
// samples.
#include "engine/sensor_mean.h"

#include "engine/laser.h"
#include "engine/run_builder.h"
#include "engine/sensor.h"

#include <algorithm>

namespace {

constexpr int kHalfWindow = 4;
// The difference to the mean, times the window's sample count, beyond which
// a sample changes the run: 3 grey levels of 255 in a full window.
constexpr int kNoiseFloor = 12;

} // namespace

void AnalyzeSamplesMean(Laser* laser, const int* samples, int n) {
    int prefix[kMaxElements + 1];
    RunBuilder runs(laser);
    if (n <= 0) return;
    prefix[0] = 0;
    for (int i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + samples[i];

    bool dark = false;
    double crossing = 0.0; // where the difference to the mean last changed sign
    long previous = 0;
    for (int i = 0; i < n; ++i) {
        const int lo = std::max(0, i - kHalfWindow), hi = std::min(n - 1, i + kHalfWindow);
        const int count = hi - lo + 1;
        const long difference = long(samples[i]) * count - (prefix[hi + 1] - prefix[lo]);
        if (i > 0 && (difference < 0) != (previous < 0) && difference != previous)
            crossing = i - 1 + double(previous) / double(previous - difference);
        previous = difference;
        const long floor = long(kNoiseFloor) * count;
        if (!dark && difference < -floor) {
            dark = true;
            runs.Edge(crossing, true);
        } else if (dark && difference > floor) {
            dark = false;
            runs.Edge(crossing, false);
        }
    }
    runs.Finish();
}
