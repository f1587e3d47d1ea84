// Damage done to a printed symbol before the camera sees it: a bar erased
// (paper over it along its whole height) or a symbol character smudged
// (an ink smear over its bars, along their whole height).
#pragma once

#include "tests/support/frame.h"
#include "tests/support/placement.h"
#include "tests/support/zint_bars.h"

#include <vector>

struct Damage {
    enum class Kind { EraseBar, Smudge };
    Kind kind = Kind::EraseBar;
    int barIndex = 0;      // EraseBar: index into the pattern's bars
    double u0 = 0, u1 = 0; // Smudge: span along the symbol, modules from the first bar's left edge
};

inline Damage EraseBar(int barIndex) {
    return {Damage::Kind::EraseBar, barIndex, 0, 0};
}
inline Damage Smudge(double u0, double u1) {
    return {Damage::Kind::Smudge, 0, u0, u1};
}

// The span of runs [firstRun, firstRun + runCount) of RunWidths(pattern),
// in modules from the first bar's left edge: where one symbol character lies.
Damage SmudgeRuns(const BarPattern& pattern, int firstRun, int runCount);

// The pattern's bars without the erased ones.
std::vector<Bar> BarsAfterErasing(const BarPattern& pattern, const std::vector<Damage>& damage);

// Lays the smudges over an ink coverage image.
void ApplySmudges(GrayImage& ink, const BarPattern& pattern, const Placement& placement,
                  const std::vector<Damage>& damage);
