// Erased bars and ink smudges on a symbol.
#include "tests/support/damage.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSmudgeInk = 0.88;     // ink density of a smear, 1 = as dark as a bar
constexpr double kSmudgeOverhang = 0.5; // modules the smear reaches beyond its span
constexpr double kSmudgeSoftEdge = 0.7; // modules over which the smear fades out

// 1 inside [lo, hi], fading linearly to 0 over soft on each side.
double SoftInside(double x, double lo, double hi, double soft) {
    double d = std::max(lo - x, x - hi);
    return std::clamp(1.0 - d / soft, 0.0, 1.0);
}

} // namespace

Damage SmudgeRuns(const BarPattern& pattern, int firstRun, int runCount) {
    std::vector<double> runs = RunWidths(pattern);
    double start = 0;
    for (int i = 0; i < firstRun; ++i) start += runs[std::size_t(i)];
    double end = start;
    for (int i = firstRun; i < firstRun + runCount; ++i) end += runs[std::size_t(i)];
    return Smudge(start, end);
}

std::vector<Bar> BarsAfterErasing(const BarPattern& pattern, const std::vector<Damage>& damage) {
    std::vector<Bar> bars;
    for (std::size_t i = 0; i < pattern.bars.size(); ++i) {
        bool erased = std::any_of(damage.begin(), damage.end(), [&](const Damage& d) {
            return d.kind == Damage::Kind::EraseBar && std::size_t(d.barIndex) == i;
        });
        if (!erased) bars.push_back(pattern.bars[i]);
    }
    return bars;
}

void ApplySmudges(GrayImage& ink, const BarPattern& pattern, const Placement& placement,
                  const std::vector<Damage>& damage) {
    double top = pattern.bars.front().v0, bottom = top;
    for (const Bar& b : pattern.bars) {
        top = std::min(top, b.v0);
        bottom = std::max(bottom, b.v1);
    }
    for (const Damage& d : damage) {
        if (d.kind != Damage::Kind::Smudge) continue;
        double lo = pattern.Left() + d.u0 - kSmudgeOverhang;
        double hi = pattern.Left() + d.u1 + kSmudgeOverhang;
        for (int y = 0; y < ink.height; ++y) {
            for (int x = 0; x < ink.width; ++x) {
                double u = placement.SymbolU(x + 0.5, y + 0.5);
                double v = placement.SymbolV(x + 0.5, y + 0.5);
                double share = SoftInside(u, lo, hi, kSmudgeSoftEdge) *
                               SoftInside(v, top, bottom, kSmudgeSoftEdge);
                float& c = ink.At(x, y);
                c = std::max(c, float(kSmudgeInk * share));
            }
        }
    }
}
