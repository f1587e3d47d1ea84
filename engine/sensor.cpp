// Sensor analysis. Each laser samples the frame's luminance (red + 2 green +
// blue, 0..1020), normalises every sample against the minimum and maximum of
// the 65 samples around it, and records where the level crosses one half as
// the edges of bar and space runs, interpolated between samples.
//
// The window extremes come from block prefix and suffix extremes (blocks of
// one window length): any window of at most that length spans at most two
// adjacent blocks, so its extremes are the suffix extreme of its first sample
// and the prefix extreme of its last, whatever its length. Each sample then
// costs a constant number of comparisons instead of 65.
#include "engine/sensor.h"

#include "engine/laser.h"
#include "engine/scanner_instance.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kHalfWindow = 32;                   // samples on each side of the centre
constexpr int kWindow = 2 * kHalfWindow + 1;      // 65
constexpr int kMinContrast = 149;                 // a range of this or less is flat
constexpr double kMidLevel = 0.5;

inline int Luminance(std::uint32_t pixel) {
    return int((pixel >> 16) & 0xFF) + 2 * int((pixel >> 8) & 0xFF) + int(pixel & 0xFF);
}

} // namespace

void AnalyzeSensor(const ScannerInstance* instance, Laser* laser) {
    int samples[kMaxElements];
    int prefixMin[kMaxElements], prefixMax[kMaxElements];
    int suffixMin[kMaxElements], suffixMax[kMaxElements];

    laser->elementCount = 0;
    const std::uint8_t* base = instance->frameBase;
    int n = laser->sampleCount;
    if (!base || n <= 0) return;
    n = std::min(n, kMaxElements);

    double x = laser->startX, y = laser->startY;
    for (int k = 0; k < n; ++k) {
        int xi = int(x), yi = int(y);
        std::uint32_t pixel;
        std::memcpy(&pixel, base + std::ptrdiff_t(yi) * instance->frameRowBytes + 4 * xi, 4);
        samples[k] = Luminance(pixel);
        x += laser->stepX;
        y += laser->stepY;
    }

    for (int blockStart = 0; blockStart < n; blockStart += kWindow) {
        int blockEnd = std::min(blockStart + kWindow, n) - 1;
        prefixMin[blockStart] = prefixMax[blockStart] = samples[blockStart];
        for (int k = blockStart + 1; k <= blockEnd; ++k) {
            prefixMin[k] = std::min(prefixMin[k - 1], samples[k]);
            prefixMax[k] = std::max(prefixMax[k - 1], samples[k]);
        }
        suffixMin[blockEnd] = suffixMax[blockEnd] = samples[blockEnd];
        for (int k = blockEnd - 1; k >= blockStart; --k) {
            suffixMin[k] = std::min(suffixMin[k + 1], samples[k]);
            suffixMax[k] = std::max(suffixMax[k + 1], samples[k]);
        }
    }

    Element* elements = laser->elements;
    int count = 0;
    double lastEdge = 0.0;
    double prevLevel = kMidLevel;
    for (int i = 0; i < n; ++i) {
        int lo = std::max(0, i - kHalfWindow);
        int hi = std::min(n - 1, i + kHalfWindow);
        int lo1, hi1, lo2, hi2; // extremes of the parts of the window in each block
        if (lo / kWindow != hi / kWindow) {
            lo1 = suffixMin[lo], hi1 = suffixMax[lo];
            lo2 = prefixMin[hi], hi2 = prefixMax[hi];
        } else if (lo % kWindow == 0) {
            lo1 = lo2 = prefixMin[hi], hi1 = hi2 = prefixMax[hi];
        } else { // within one block that ends at the last sample
            lo1 = lo2 = suffixMin[lo], hi1 = hi2 = suffixMax[lo];
        }
        int min = std::min(lo1, lo2), max = std::max(hi1, hi2);

        double level = kMidLevel;
        if (max - min > kMinContrast) level = double(samples[i] - min) / double(max - min);

        bool rising = prevLevel < kMidLevel && level >= kMidLevel;  // a bar ends
        bool falling = prevLevel >= kMidLevel && level < kMidLevel; // a space ends
        if (rising || falling) {
            double edge = i + (kMidLevel - prevLevel) / (level - prevLevel);
            elements[count++] = {lastEdge, edge - lastEdge, rising ? 1u : 0u};
            lastEdge = edge;
        }
        prevLevel = level;
    }
    if (count > 0) {
        elements[count] = {lastEdge, laser->sampleCount - lastEdge, elements[count - 1].isBar ^ 1u};
        ++count;
    }
    laser->elementCount = count;
}

bool Approx(double a, double b) {
    if (a > b) return !(b / a < 0.75);
    if (b > a) return !(a / b < 0.75);
    return true;
}

double ApproxScore(double a, double b) {
    if (a > b) return b / a;
    if (b > a) return a / b;
    return 1.0;
}
