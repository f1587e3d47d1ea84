// The derivative is the difference of the samples one on either side. A
// peak is a sample whose derivative is at least its neighbours' in size and
// of the same sign, beyond the noise floor; a parabola through the three
// values places it between samples. Falling peaks begin bars, rising ones
// end them; of two peaks of the same sense in a row the stronger stays.
#include "engine/sensor_edges.h"

#include "engine/laser.h"
#include "engine/run_builder.h"
#include "engine/sensor.h"

#include <cstdlib>

namespace {

// Peaks weaker than this (in luminance steps over two samples, of 1020) or
// than this share of the laser's strongest are noise.
constexpr int kMinPeak = 40;
constexpr int kPeakShareDivisor = 10;

struct Peak { // no default values: the table is filled before it is read
    double position;
    int strength; // signed derivative
};

} // namespace

void AnalyzeSamplesEdges(Laser* laser, const int* samples, int n) {
    int derivative[kMaxElements];
    Peak peaks[kMaxElements];
    RunBuilder runs(laser);
    if (n < 3) return;

    int strongest = 0;
    derivative[0] = derivative[n - 1] = 0;
    for (int i = 1; i + 1 < n; ++i) {
        derivative[i] = samples[i + 1] - samples[i - 1];
        strongest = std::max(strongest, std::abs(derivative[i]));
    }
    const int floor = std::max(kMinPeak, strongest / kPeakShareDivisor);

    int peakCount = 0;
    for (int i = 1; i + 1 < n; ++i) {
        const int g = derivative[i], a = derivative[i - 1], b = derivative[i + 1];
        if (std::abs(g) < floor) continue;
        const bool peak = g > 0 ? (g >= a && g > b) : (g <= a && g < b);
        if (!peak) continue;
        const double curvature = double(a) - 2.0 * g + double(b);
        double offset = curvature != 0.0 ? 0.5 * (a - b) / curvature : 0.0;
        if (offset < -0.5) offset = -0.5;
        if (offset > 0.5) offset = 0.5;
        // The derivative at i is centred on sample i; sample i's luminance
        // run starts half a sample before it in the first analysis' terms.
        const Peak next = {i + offset + 0.5, g};
        if (peakCount > 0 && (peaks[peakCount - 1].strength > 0) == (g > 0)) {
            if (std::abs(g) > std::abs(peaks[peakCount - 1].strength)) peaks[peakCount - 1] = next;
            continue;
        }
        peaks[peakCount++] = next;
    }
    for (int p = 0; p < peakCount; ++p) runs.Edge(peaks[p].position, peaks[p].strength < 0);
    runs.Finish();
}
