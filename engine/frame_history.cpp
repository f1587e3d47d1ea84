#include "engine/frame_history.h"

#include "engine/laser.h"
#include "engine/scanner_instance.h"
#include "engine/sensor.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

// Samples either way that a remembered frame's line may be moved by to meet
// the current one: a hand's jitter between frames a tenth of a second apart.
constexpr int kMaxShift = 3;
// A remembered frame matches when, at its best offset, its samples differ
// from the current ones by at most an eighth of the current line's range on
// average, or by kMinMismatch on a flat line: sensor noise of sigma 5 on
// each channel makes two frames' luminance differ by some 14 on average.
constexpr int kMismatchShare = 8;
constexpr int kMinMismatch = 32;
// The mismatch is measured on every fourth sample: enough to find the offset.
constexpr int kMismatchStride = 4;
// A still image shown again is told from a new frame by every 61st pixel.
constexpr int kSameFrameStride = 61;
// Fixed point of the sums: sixteenths of a luminance step.
constexpr int kFraction = 16;

// Mean absolute difference between current[k] and earlier[k + shift] over
// the samples that every shift reaches.
int Mismatch(const int* current, const int* earlier, int n, int shift) {
    int sum = 0, count = 0; // at most 640 differences of at most 1020
    for (int k = kMaxShift; k < n - kMaxShift; k += kMismatchStride, ++count)
        sum += std::abs(current[k] - earlier[k + shift]);
    return sum / std::max(1, count);
}

// The luminance byte of the 0xAARRGGBB pixel whose bytes (blue first) are at p.
std::uint8_t PlaneLuminance(const std::uint8_t* p) {
    return std::uint8_t((p[0] + 2 * p[1] + p[2]) / kLuminanceScale);
}

// Whether the frame buffer shows the newest remembered frame again (a still
// image shown for several frames), judged on a spread of its pixels: a live
// frame's noise differs nearly everywhere.
bool SameAsNewest(const ScannerInstance* instance, const FrameHistory& history) {
    const std::uint8_t* plane = history.frames[std::size_t(history.newest)].data();
    for (int i = 0; i < kFrameWidth * kFrameHeight; i += kSameFrameStride) {
        const int x = i % kFrameWidth, y = i / kFrameWidth;
        const std::uint8_t* pixel =
            instance->frameBase + std::ptrdiff_t(y) * instance->frameRowBytes + 4 * x;
        if (PlaneLuminance(pixel) != plane[std::size_t(i)]) return false;
    }
    return true;
}

} // namespace

void RememberFrame(ScannerInstance* instance) {
    if (!instance->frameBase) return;
    if (instance->frameHistory && instance->frameHistory->newestIsCurrent) return;
    if (!instance->frameHistory) instance->frameHistory = new (std::nothrow) FrameHistory{};
    FrameHistory* history = instance->frameHistory;
    if (!history) return;
    const int next = (history->newest + 1) % FrameHistory::kFrames;
    std::vector<std::uint8_t>& plane = history->frames[std::size_t(next)];
    plane.resize(std::size_t(kFrameWidth) * kFrameHeight);
    for (int y = 0; y < kFrameHeight; ++y) {
        const std::uint8_t* __restrict in =
            instance->frameBase + std::ptrdiff_t(y) * instance->frameRowBytes;
        std::uint8_t* __restrict out = plane.data() + std::size_t(y) * kFrameWidth;
        for (int x = 0; x < kFrameWidth; ++x) out[x] = PlaneLuminance(in + 4 * x);
    }
    history->newest = next;
    history->count = std::min(history->count + 1, FrameHistory::kFrames);
    history->newestIsCurrent = true;
}

void NewFrameArrived(ScannerInstance* instance) {
    FrameHistory* history = instance->frameHistory;
    if (!history || history->count == 0) return;
    // A still image shown again is no new frame: averaging it with itself
    // would only cost time.
    history->newestIsCurrent = SameAsNewest(instance, *history);
}

void ForgetFrames(ScannerInstance* instance) {
    if (instance->frameHistory) instance->frameHistory->count = 0;
}

int AverageOverFrames(const ScannerInstance* instance, const Laser* laser, int* samples, int n) {
    const FrameHistory* history = instance->frameHistory;
    const int first = history && history->newestIsCurrent ? 1 : 0;
    if (!history || history->count <= first || n <= 4 * kMaxShift) return 1;
    const auto [lo, hi] = std::minmax_element(samples, samples + n);
    const int allowed = std::max(kMinMismatch, (*hi - *lo) / kMismatchShare);

    int sums[kMaxElements];
    for (int k = 0; k < n; ++k) sums[k] = samples[k] * kFraction;
    int frames = 1;
    int earlier[kMaxElements];
    for (int i = first; i < history->count; ++i) {
        const int index = (history->newest - i + FrameHistory::kFrames) % FrameHistory::kFrames;
        const std::uint8_t* plane = history->frames[std::size_t(index)].data();
        if (SampleLuminance(plane, kFrameWidth, laser, earlier) != n) continue;
        int mismatch[2 * kMaxShift + 1];
        int best = 0;
        for (int d = -kMaxShift; d <= kMaxShift; ++d) {
            mismatch[d + kMaxShift] = Mismatch(samples, earlier, n, d);
            if (mismatch[d + kMaxShift] < mismatch[best + kMaxShift]) best = d;
        }
        if (mismatch[best + kMaxShift] > allowed) continue;
        // The offset to a sixteenth of a sample, from the parabola through
        // the mismatches beside the best one.
        int shift = best * kFraction;
        if (best > -kMaxShift && best < kMaxShift) {
            const int before = mismatch[best + kMaxShift - 1], at = mismatch[best + kMaxShift],
                      after = mismatch[best + kMaxShift + 1];
            const int curve = before - 2 * at + after;
            if (curve > 0)
                shift += std::clamp(kFraction * (before - after) / (2 * curve), -kFraction / 2,
                                    kFraction / 2);
        }
        // earlier[k + whole] and the sample after it, weighted by the fraction.
        const int whole = shift >= 0 ? shift / kFraction : -((-shift + kFraction - 1) / kFraction);
        const int part = shift - whole * kFraction;
        const int from = std::max(0, -whole), to = std::min(n, n - 1 - whole);
        for (int k = 0; k < from; ++k) sums[k] += earlier[0] * kFraction;
        for (int k = from; k < to; ++k)
            sums[k] += earlier[k + whole] * (kFraction - part) + earlier[k + whole + 1] * part;
        for (int k = std::max(from, to); k < n; ++k) sums[k] += earlier[n - 1] * kFraction;
        ++frames;
    }
    if (frames > 1)
        for (int k = 0; k < n; ++k)
            samples[k] = (sums[k] + frames * kFraction / 2) / (frames * kFraction);
    return frames;
}
