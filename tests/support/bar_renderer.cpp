// Area coverage of a pixel by a set of parallel bars. Projected onto the
// reading direction, a pixel square spreads over the convolution of two
// boxes (widths |cos a| and |sin a| pixels), so its coverage is a second
// difference of the twice-integrated ink profile, which is piecewise
// quadratic and evaluated exactly. Across the bars (their top and bottom
// ends) a box of the pixel's extent is used.
#include "tests/support/bar_renderer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace {

constexpr double kThinBox = 1e-4; // below this width (modules) a box counts as a point

// Bars sharing one top and bottom, with the prefix sums that integrate them.
class BarBand {
  public:
    BarBand(std::vector<Bar> bars) : bars_(std::move(bars)) {
        std::sort(bars_.begin(), bars_.end(),
                  [](const Bar& a, const Bar& b) { return a.u0 < b.u0; });
        widthSum_.push_back(0);
        termSum_.push_back(0);
        for (const Bar& b : bars_) {
            double w = b.u1 - b.u0;
            widthSum_.push_back(widthSum_.back() + w);
            termSum_.push_back(termSum_.back() + w * w / 2 - w * b.u1);
        }
    }

    double Top() const { return bars_.front().v0; }
    double Bottom() const { return bars_.front().v1; }
    double Left() const { return bars_.front().u0; }
    double Right() const { return bars_.back().u1; }

    // Share of ink in [u - a/2, u + a/2] convolved with a box of width b.
    double Coverage(double u, double a, double b) const {
        if (a < b) std::swap(a, b);
        if (a < kThinBox) return Ink1(u + kThinBox / 2) > Ink1(u - kThinBox / 2) ? 1.0 : 0.0;
        if (b < kThinBox) return (Ink1(u + a / 2) - Ink1(u - a / 2)) / a;
        double s = (a + b) / 2, t = (a - b) / 2;
        return (Ink2(u + s) - Ink2(u + t) - Ink2(u - t) + Ink2(u - s)) / (a * b);
    }

  private:
    // Number of bars that end at or before u.
    std::size_t EndedBefore(double u) const {
        return std::size_t(std::upper_bound(bars_.begin(), bars_.end(), u,
                                            [](double x, const Bar& b) { return x < b.u1; }) -
                           bars_.begin());
    }
    // Ink from -infinity to u.
    double Ink1(double u) const {
        std::size_t k = EndedBefore(u);
        double sum = widthSum_[k];
        if (k < bars_.size() && u > bars_[k].u0) sum += u - bars_[k].u0;
        return sum;
    }
    // Integral of Ink1 from -infinity to u.
    double Ink2(double u) const {
        std::size_t k = EndedBefore(u);
        double sum = termSum_[k] + u * widthSum_[k];
        if (k < bars_.size() && u > bars_[k].u0) sum += (u - bars_[k].u0) * (u - bars_[k].u0) / 2;
        return sum;
    }

    std::vector<Bar> bars_;
    std::vector<double> widthSum_; // widthSum_[k]: total width of the first k bars
    std::vector<double> termSum_;  // termSum_[k]: sum of w^2/2 - w*u1 over the first k bars
};

// Share of [v - h/2, v + h/2] inside [top, bottom].
double SpanCoverage(double v, double h, double top, double bottom) {
    double lo = std::max(v - h / 2, top), hi = std::min(v + h / 2, bottom);
    return hi > lo ? (hi - lo) / h : 0.0;
}

void DrawBand(GrayImage& coverage, const BarBand& band, const Placement& p) {
    double a = std::abs(p.DirX()) / p.pixelsPerModule; // pixel's extent along u, modules
    double b = std::abs(p.DirY()) / p.pixelsPerModule;
    double h = (std::abs(p.AcrossX()) + std::abs(p.AcrossY())) / p.pixelsPerModule;

    double xs[4], ys[4];
    double us[2] = {band.Left(), band.Right()}, vs[2] = {band.Top(), band.Bottom()};
    for (int i = 0; i < 4; ++i) {
        xs[i] = p.FrameX(us[i & 1], vs[i >> 1]);
        ys[i] = p.FrameY(us[i & 1], vs[i >> 1]);
    }
    int x0 = std::max(0, int(std::floor(*std::min_element(xs, xs + 4))) - 2);
    int x1 = std::min(coverage.width - 1, int(std::ceil(*std::max_element(xs, xs + 4))) + 2);
    int y0 = std::max(0, int(std::floor(*std::min_element(ys, ys + 4))) - 2);
    int y1 = std::min(coverage.height - 1, int(std::ceil(*std::max_element(ys, ys + 4))) + 2);

    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            double u = p.SymbolU(x + 0.5, y + 0.5), v = p.SymbolV(x + 0.5, y + 0.5);
            double across = SpanCoverage(v, h, band.Top(), band.Bottom());
            if (across <= 0) continue;
            double along = band.Coverage(u, a, b);
            float& c = coverage.At(x, y);
            c = std::min(1.0f, c + float(across * along));
        }
    }
}

} // namespace

void DrawBars(GrayImage& coverage, std::span<const Bar> bars, const Placement& placement) {
    std::map<std::pair<double, double>, std::vector<Bar>> bands;
    for (const Bar& bar : bars) bands[{bar.v0, bar.v1}].push_back(bar);
    for (auto& [span, members] : bands) DrawBand(coverage, BarBand(std::move(members)), placement);
}
