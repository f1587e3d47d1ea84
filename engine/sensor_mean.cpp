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

} // namespace

void AnalyzeSamplesMean(Laser* laser, const int* samples, int n, int noiseFloor) {
    int prefix[kMaxElements + 1];
    RunBuilder runs(laser);
    if (n <= 0) return;
    prefix[0] = 0;
    for (int i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + samples[i];

    // Where the difference to the mean last changed sign: between sample
    // signAt - 1 (difference before) and signAt (after). The position is
    // only worked out when a run changes there; noise changes sign often.
    bool dark = false;
    int signAt = 0;
    long before = 0, after = 0;
    auto crossing = [&] {
        return signAt == 0 ? 0.0 : signAt - 1 + double(before) / double(before - after);
    };
    long previous = 0;
    for (int i = 0; i < n; ++i) {
        const int lo = std::max(0, i - kHalfWindow), hi = std::min(n - 1, i + kHalfWindow);
        const int count = hi - lo + 1;
        const long difference = long(samples[i]) * count - (prefix[hi + 1] - prefix[lo]);
        // Without branches: on noise the sign changes every other sample.
        const bool changed = i > 0 && (difference < 0) != (previous < 0);
        signAt = changed ? i : signAt;
        before = changed ? previous : before;
        after = changed ? difference : after;
        previous = difference;
        const long floor = long(noiseFloor) * count; // the difference is count times the distance
        if (!dark && difference < -floor) {
            dark = true;
            runs.Edge(crossing(), true);
        } else if (dark && difference > floor) {
            dark = false;
            runs.Edge(crossing(), false);
        }
    }
    runs.Finish();
}
