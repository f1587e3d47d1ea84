// A second opinion on the digits of an EAN/UPC read of the added reading,
// from the laser's luminance samples rather than from its edges: each digit
// is cut into its 7 modules between the digit's own first and last edge,
// the grey level at the middle of each module is taken from the samples,
// and the digit read must be the pattern of its half whose bar modules are
// darkest against its space modules. A run table of a second analysis on a
// blurred or damaged symbol can hold edges that spell other digits with
// good scores (and one wrong string in ten has a fitting check digit);
// the grey levels of those modules then disagree.
#pragma once

#include "symbologies/laser_record.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace ean {

// Module patterns, most significant of the 7 bits first, 1 for a bar: the
// odd-parity (L) left patterns of digits 0-9; a right pattern is the L
// pattern inverted, an even-parity (G) one the right pattern reversed.
constexpr std::array<std::uint8_t, 10> oddModules = {0x0D, 0x19, 0x13, 0x3D, 0x23,
                                                     0x31, 0x2F, 0x3B, 0x37, 0x0B};

constexpr std::uint8_t RightModules(int digit) {
    return std::uint8_t(~oddModules[std::size_t(digit)] & 0x7F);
}
constexpr std::uint8_t EvenModules(int digit) {
    std::uint8_t right = RightModules(digit), reversed = 0;
    for (int m = 0; m < 7; ++m)
        if (right & (1 << m)) reversed |= std::uint8_t(1 << (6 - m));
    return reversed;
}

// Which patterns a digit is chosen among.
enum class DigitHalf { kLeft, kRight };

// The luminance at a run-table position: sample k covers positions k to
// k + 1 of the table.
inline double GreyAt(const Laser* laser, double position) {
    const int n = laser->samplesTaken;
    const double p = std::clamp(position - 0.5, 0.0, double(n - 1));
    const int k = std::min(int(p), n - 2);
    const double t = p - k;
    return laser->samples[k] * (1 - t) + laser->samples[k + 1] * t;
}

// How much darker the pattern's bar modules are than its space modules.
inline double PatternContrast(const std::array<double, 7>& grey, std::uint8_t modules) {
    double bars = 0, spaces = 0;
    int barCount = 0;
    for (int m = 0; m < 7; ++m) {
        if (modules & (1 << (6 - m))) {
            bars += grey[std::size_t(m)], ++barCount;
        } else {
            spaces += grey[std::size_t(m)];
        }
    }
    return spaces / (7 - barCount) - bars / barCount;
}

// True when the pattern read for the digit whose first entry is `first`
// (left half: 0-9 odd parity, 10-19 even; right half: the digit) fits the
// grey levels better than any other pattern of its half. Without samples
// (a run table built from elsewhere) there is nothing to disagree.
inline bool DigitGreyFits(const Laser* laser, int first, DigitHalf half, int read) {
    if (laser->samplesTaken < 2) return true;
    const double start = laser->elements[first].start;
    const double module = (laser->elements[first + 4].start - start) / 7.0;
    std::array<double, 7> grey{};
    for (int m = 0; m < 7; ++m) grey[std::size_t(m)] = GreyAt(laser, start + (m + 0.5) * module);
    auto modules = [half](int k) {
        if (half == DigitHalf::kRight) return RightModules(k);
        return k < 10 ? oddModules[std::size_t(k)] : EvenModules(k - 10);
    };
    const double own = PatternContrast(grey, modules(read));
    if (own <= 0) return false;
    const int candidates = half == DigitHalf::kLeft ? 20 : 10;
    for (int k = 0; k < candidates; ++k)
        if (k != read && PatternContrast(grey, modules(k)) > own) return false;
    return true;
}

// True when the quiet zone at entry `quiet` shows no bar in the samples:
// over up to `modules` modules of `module` samples beside the symbol, the
// grey levels vary by at most half the range that the symbol's samples
// from entry `first` to entry `last` span. An analysis that drops weak
// edges (the noisy look's raised floor) can merge thin bars into a wide
// space that passes for a quiet zone inside another symbol.
inline bool QuietZoneGreyFits(const Laser* laser, int quiet, int first, int last, double module,
                              double modules) {
    const int n = laser->samplesTaken;
    if (n < 2) return true;
    auto sampleRange = [laser, n](double from, double to) {
        const int a = std::clamp(int(std::ceil(from)), 0, n - 1);
        const int b = std::clamp(int(std::floor(to)) - 1, 0, n - 1);
        int lo = laser->samples[a], hi = lo;
        for (int k = a; k <= b; ++k) {
            lo = std::min(lo, laser->samples[k]);
            hi = std::max(hi, laser->samples[k]);
        }
        return hi - lo;
    };
    const Element& q = laser->elements[quiet];
    const double span = std::min(q.width, modules * module);
    if (span < 1) return true;
    // The samples of the zone's half nearer the symbol are the ones a
    // dropped bar would darken; its edge's own slope is left out.
    const bool leading = quiet < first;
    const double from = leading ? q.start + q.width - span : q.start + module;
    const double to = leading ? q.start + q.width - module : q.start + span;
    if (to - from < 1) return true;
    const Element& e = laser->elements[last];
    const double symbol = sampleRange(laser->elements[first].start, e.start + e.width);
    return 2 * sampleRange(from, to) <= symbol;
}

} // namespace ean
