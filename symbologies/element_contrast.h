// A second opinion on a read of the two-width symbologies (Codabar, Code 39,
// Interleaved 2 of 5) of the added reading, from the laser's luminance
// samples rather than from its edges. Those symbologies carry no check
// character (or an optional one), so a run table that spells another text
// is delivered once two lines agree, and on a damaged symbol they do: an
// analysis with a low threshold finds a faint bar inside a wide space where
// a bar was lost, or reads the grey of a smear as spaces and quiet zones.
// In the samples such elements stand out: a real bar is darker than the
// spaces on either side of it, and a real space lighter than its bars, by
// about as much as the symbol's other elements are; a phantom or a smear
// differs from its neighbours by a fraction of that.
#pragma once

#include "symbologies/laser_record.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace two_width {

// An element that stands out from its neighbours by less than this share of
// what the symbol's elements typically do (their median) is no element.
// Blur takes most from a narrow element between two wide ones: the lines
// that read the shared photographs and the blurred test symbols right
// stand out by 0.37 and more, the damaged symbols' wrong reads by 0.31 and
// less, and all but one of their lines by 0.26 and less.
constexpr double kMinContrastShare = 0.33;

// The lightest sample of a space, the darkest of a bar, over the samples
// whose middles lie inside [from, to); the sample nearest the middle when
// none does.
inline int Extreme(const Laser* laser, double from, double to, bool isBar) {
    const int n = laser->samplesTaken;
    const int middle = std::clamp(int((from + to) / 2), 0, n - 1);
    int value = laser->samples[middle];
    const int a = std::max(0, int(std::ceil(from - 0.5)));
    const int b = std::min(n - 1, int(std::floor(to - 0.5)));
    for (int k = a; k <= b; ++k)
        value = isBar ? std::min(value, laser->samples[k]) : std::max(value, laser->samples[k]);
    return value;
}

// True when every element from entry `quiet` to entry `last` (the leading and
// the trailing quiet zone) stands out from the elements beside it by at least
// kMinContrastShare of the median of all. The quiet zones are judged over
// their parts beside the symbol, as wide as its widest element: a smear that
// ends the symbol early is dark there, however light the zone is further on.
// Without samples (a run table built from elsewhere) nothing disagrees.
inline bool ElementsStandOut(const Laser* laser, int quiet, int last) {
    if (laser->samplesTaken < 2 || last - quiet < 4 || last >= laser->elementCount) return true;
    const Element* e = laser->elements;
    double widest = 0;
    for (int k = quiet + 1; k < last; ++k) widest = std::max(widest, e[k].width);
    std::array<int, kMaxElements> extreme{};
    for (int k = quiet; k <= last; ++k) {
        double lo = e[k].start, hi = e[k].start + e[k].width;
        if (k == quiet) lo = std::max(lo, hi - widest);
        if (k == last) hi = std::min(hi, lo + widest);
        extreme[std::size_t(k)] = Extreme(laser, lo, hi, e[k].isBar != 0);
    }
    // A quiet zone at the frame's border may hold no sample at all: it
    // stands in with the symbol's space beside it and is not judged.
    const bool judgeLeading = e[quiet].width >= 1, judgeTrailing = e[last].width >= 1;
    if (!judgeLeading) extreme[std::size_t(quiet)] = extreme[std::size_t(quiet + 2)];
    if (!judgeTrailing) extreme[std::size_t(last)] = extreme[std::size_t(last - 2)];
    // How far each element stands out: a bar below the dimmer of the two
    // spaces beside it, a space above the paler of its two bars.
    std::array<int, kMaxElements> contrast{};
    std::array<int, kMaxElements> sorted{};
    int count = 0;
    const int from = judgeLeading ? quiet : quiet + 1, to = judgeTrailing ? last : last - 1;
    for (int k = from; k <= to; ++k) {
        const int here = extreme[std::size_t(k)];
        int beside;
        if (k == quiet) {
            beside = extreme[std::size_t(k + 1)];
        } else if (k == last) {
            beside = extreme[std::size_t(k - 1)];
        } else if (e[k].isBar) {
            beside = std::min(extreme[std::size_t(k - 1)], extreme[std::size_t(k + 1)]);
        } else {
            beside = std::max(extreme[std::size_t(k - 1)], extreme[std::size_t(k + 1)]);
        }
        contrast[std::size_t(k)] = e[k].isBar ? beside - here : here - beside;
        sorted[std::size_t(count++)] = contrast[std::size_t(k)];
    }
    std::nth_element(sorted.begin(), sorted.begin() + count / 2, sorted.begin() + count);
    const double typical = sorted[std::size_t(count / 2)];
    if (typical <= 0) return false;
    for (int k = from; k <= to; ++k)
        if (contrast[std::size_t(k)] < kMinContrastShare * typical) return false;
    return true;
}

} // namespace two_width
