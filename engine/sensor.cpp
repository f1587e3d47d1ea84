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
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kHalfWindow = 32;              // samples on each side of the centre
constexpr int kWindow = 2 * kHalfWindow + 1; // 65
constexpr int kMinContrast = 149;            // a range of this or less is flat
constexpr double kMidLevel = 0.5;

inline int Luminance(std::uint32_t pixel) {
    return int((pixel >> 16) & 0xFF) + 2 * int((pixel >> 8) & 0xFF) + int(pixel & 0xFF);
}

} // namespace

namespace {

// The samples along the laser of a frame of pixels `bytes` wide, each turned
// into luminance by read.
template <int bytes, class Read>
int SampleAlong(const std::uint8_t* base, std::ptrdiff_t rowBytes, const Laser* laser, int* samples,
                Read read) {
    int n = laser->sampleCount;
    if (!base || n <= 0) return 0;
    n = std::min(n, kMaxElements);
    double x = laser->startX, y = laser->startY;
    // The long axis moves by one pixel a sample, the short one by a fraction,
    // kept in fixed point with 32 fractional bits.
    const bool alongX = std::fabs(laser->stepX) == 1.0;
    const std::ptrdiff_t longStep =
        alongX ? std::ptrdiff_t(laser->stepX) * bytes : std::ptrdiff_t(laser->stepY) * rowBytes;
    const double shortStart = alongX ? y : x, shortStep = alongX ? laser->stepY : laser->stepX;
    constexpr double kOne = 4294967296.0; // 2^32
    std::int64_t fraction = std::llround(shortStart * kOne);
    const std::int64_t fractionStep = std::llround(shortStep * kOne);
    const std::uint8_t* line =
        alongX ? base + bytes * std::ptrdiff_t(int(x)) : base + std::ptrdiff_t(int(y)) * rowBytes;
    for (int k = 0; k < n; ++k, line += longStep, fraction += fractionStep) {
        const std::ptrdiff_t s = std::ptrdiff_t(fraction >> 32);
        samples[k] = read(line + (alongX ? s * rowBytes : bytes * s));
    }
    return n;
}

} // namespace

int SampleLaser(const ScannerInstance* instance, const Laser* laser, int* samples) {
    return SampleAlong<4>(instance->frameBase, instance->frameRowBytes, laser, samples,
                          [](const std::uint8_t* p) {
                              std::uint32_t pixel;
                              std::memcpy(&pixel, p, 4);
                              return Luminance(pixel);
                          });
}

int SampleLuminance(const std::uint8_t* plane, std::ptrdiff_t rowBytes, const Laser* laser,
                    int* samples) {
    return SampleAlong<1>(plane, rowBytes, laser, samples,
                          [](const std::uint8_t* p) { return int(*p) * kLuminanceScale; });
}

void AnalyzeSensor(const ScannerInstance* instance, Laser* laser) {
    const int n = laser->samplesTaken = SampleLaser(instance, laser, laser->samples);
    const int* samples = laser->samples;
    int prefixMin[kMaxElements], prefixMax[kMaxElements];
    int suffixMin[kMaxElements], suffixMax[kMaxElements];

    laser->elementCount = 0;
    if (n <= 0) return;

    for (int blockStart = 0; blockStart < n; blockStart += kWindow) {
        // Running extremes in registers: the compiler keeps these loops
        // free of branches, which noise would keep mispredicting.
        int blockEnd = std::min(blockStart + kWindow, n) - 1;
        int lo = samples[blockStart], hi = lo;
        for (int k = blockStart; k <= blockEnd; ++k) {
            lo = std::min(lo, samples[k]);
            hi = std::max(hi, samples[k]);
            prefixMin[k] = lo, prefixMax[k] = hi;
        }
        lo = hi = samples[blockEnd];
        for (int k = blockEnd; k >= blockStart; --k) {
            lo = std::min(lo, samples[k]);
            hi = std::max(hi, samples[k]);
            suffixMin[k] = lo, suffixMax[k] = hi;
        }
    }

    // Level of sample i against its window, as a fraction num / den; a flat
    // window (den 0) reads as exactly one half. Whether a sample is light is
    // decided on the integers: num / den >= 0.5 exactly when 2 num >= den,
    // so the divisions are only made at the edges.
    Element* elements = laser->elements;
    int count = 0;
    double lastEdge = 0.0;
    int prevNum = 1, prevDen = 2; // the level before the first sample: one half, light
    bool prevLight = true;
    auto visit = [&](int i, int min, int max) {
        int num = samples[i] - min, den = max - min;
        if (den <= kMinContrast) num = 1, den = 2;
        bool light = 2 * num >= den;
        if (light != prevLight) {
            double level = double(num) / double(den), prevLevel = double(prevNum) / double(prevDen);
            double edge = i + (kMidLevel - prevLevel) / (level - prevLevel);
            elements[count++] = {lastEdge, edge - lastEdge, light ? 1u : 0u}; // light: a bar ended
            lastEdge = edge;
            prevLight = light;
        }
        prevNum = num, prevDen = den;
    };

    // Windows cut by the start: [0, i + 32] lies within the first block.
    int i = 0;
    for (; i <= kHalfWindow && i < n; ++i) {
        int hi = std::min(n - 1, i + kHalfWindow);
        visit(i, prefixMin[hi], prefixMax[hi]);
    }
    // Full windows: [lo, hi] spans the suffix of lo's block and the prefix of
    // the next, or is one whole block, where both give the block's extremes.
    for (; i + kHalfWindow < n; ++i) {
        int lo = i - kHalfWindow, hi = i + kHalfWindow;
        visit(i, std::min(suffixMin[lo], prefixMin[hi]), std::max(suffixMax[lo], prefixMax[hi]));
    }
    // Windows cut by the end: the last block's prefix is all of it up to the
    // last sample, so it only adds when the window reaches into that block
    // from the one before.
    const int lastBlock = (n - 1) / kWindow;
    for (; i < n; ++i) {
        int lo = i - kHalfWindow;
        int min = suffixMin[lo], max = suffixMax[lo];
        if (lo / kWindow != lastBlock) {
            min = std::min(min, prefixMin[n - 1]);
            max = std::max(max, prefixMax[n - 1]);
        }
        visit(i, min, max);
    }
    if (count > 0) {
        elements[count] = {lastEdge, laser->sampleCount - lastEdge, elements[count - 1].isBar ^ 1u};
        ++count;
        // A laser that ends on a bar ends with a space of no width, as one
        // that starts on a bar starts with one: both ends of the table are
        // spaces, which the harder reading takes for the frame's border.
        if (elements[count - 1].isBar) {
            elements[count] = {double(laser->sampleCount), 0.0, 0u};
            ++count;
        }
    }
    laser->elementCount = count;
}
