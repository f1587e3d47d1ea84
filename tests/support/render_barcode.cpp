// libzint's vector output (rectangles, one module = 1 unit at scale 0.5) as
// bars in module units, narrow and wide elements re-spaced to the ratio asked
// for (libzint draws only its own). The scene: paper with a mild shade
// variation, a lighter label that leaves more than the standard quiet zones,
// the ink of the bars (with any damage), then the camera's effects.
#include "tests/support/render_barcode.h"

#include "tests/support/random.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kModuleScale = 0.5f;   // libzint's vector scale giving 1 unit per module
constexpr double kWideThreshold = 1.5; // runs wider than this (modules) are wide elements

// Moves the bars so that every wide run (bar or space) is ratio modules.
void ApplyWideRatio(BarPattern& pattern, double ratio) {
    const std::vector<double> runs = RunWidths(pattern);
    double u = pattern.bars.front().u0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        double width = runs[i] > kWideThreshold ? ratio : runs[i];
        if (i % 2 == 0) {
            pattern.bars[i / 2].u0 = u;
            pattern.bars[i / 2].u1 = u + width;
        }
        u += width;
    }
}

constexpr double kSmudgeInk = 0.88;     // ink density of a smear, 1 = as dark as a bar
constexpr double kSmudgeOverhang = 0.5; // modules the smear reaches beyond its span
constexpr double kSmudgeSoftEdge = 0.7; // modules over which the smear fades out

// 1 inside [lo, hi], fading linearly to 0 over soft on each side.
double SoftInside(double x, double lo, double hi, double soft) {
    double d = std::max(lo - x, x - hi);
    return std::clamp(1.0 - d / soft, 0.0, 1.0);
}

// The top of the highest bar and the bottom of the lowest (an add-on's
// bars start lower, an EAN's guard bars reach further down).
std::pair<double, double> Extent(const BarPattern& pattern) {
    double top = 0, bottom = pattern.height;
    for (const Bar& b : pattern.bars) {
        top = std::min(top, b.v0);
        bottom = std::max(bottom, b.v1);
    }
    return {top, bottom};
}

void ApplySmudges(GrayImage& ink, const BarPattern& pattern, const Placement& p,
                  const std::vector<Damage>& damage) {
    const double radians = p.angleDegrees * 3.141592653589793 / 180.0;
    const double cosine = std::cos(radians), sine = std::sin(radians);
    const auto [top, bottom] = Extent(pattern);
    for (const Damage& d : damage) {
        if (d.kind != Damage::Kind::Smudge) continue;
        double lo = pattern.Left() + d.u0 - kSmudgeOverhang;
        double hi = pattern.Left() + d.u1 + kSmudgeOverhang;
        for (int y = 0; y < ink.height; ++y) {
            for (int x = 0; x < ink.width; ++x) {
                // The pixel's centre in symbol coordinates.
                const double px = x + 0.5 - p.centreX, py = y + 0.5 - p.centreY;
                double u = p.symbolU + (px * cosine + py * -sine) / p.pixelsPerModule;
                double v = p.symbolV + (px * sine + py * cosine) / p.pixelsPerModule;
                double share = SoftInside(u, lo, hi, kSmudgeSoftEdge) *
                               SoftInside(v, top, bottom, kSmudgeSoftEdge);
                float& c = ink.At(x, y);
                c = std::max(c, float(kSmudgeInk * share));
            }
        }
    }
}

constexpr double kLabelMargin = 4;                 // modules of label beyond the quiet zones
constexpr double kLabelMarginAcross = 6;           // modules of label above and below the bars
constexpr double kPaperMin = 200, kPaperMax = 228; // label grey levels
constexpr double kBackgroundShade = 0.88;          // background relative to the label
constexpr double kShadeWave = 5;                   // grey levels of broad background variation

GrayImage SymbolScene(const BarPattern& pattern, const Placement& placement,
                      const RenderOptions& options, TestRandom& random) {
    double paper = random.Uniform(kPaperMin, kPaperMax);
    double waveX = random.Uniform(0.004, 0.012), waveY = random.Uniform(0.004, 0.012);
    double phase = random.Uniform(0, 6.28);

    // The label: one rectangle around bars and quiet zones.
    const int width = options.width, height = options.height;
    GrayImage label(width, height, 0.0f);
    const auto [top, bottom] = Extent(pattern);
    const Bar rect{pattern.Left() - pattern.quietLeft - kLabelMargin,
                   pattern.Right() + pattern.quietRight + kLabelMargin, top - kLabelMarginAcross,
                   bottom + kLabelMarginAcross};
    DrawBars(label, std::span(&rect, 1), placement);

    GrayImage ink(width, height, 0.0f);
    std::vector<Bar> bars;
    for (std::size_t i = 0; i < pattern.bars.size(); ++i)
        if (std::ranges::none_of(options.damage, [&](const Damage& d) {
                return d.kind == Damage::Kind::EraseBar && std::size_t(d.barIndex) == i;
            }))
            bars.push_back(pattern.bars[i]);
    DrawBars(ink, bars, placement);
    ApplySmudges(ink, pattern, placement, options.damage);

    GrayImage scene(width, height, 0.0f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double background = paper * kBackgroundShade +
                                kShadeWave * std::sin(x * waveX + phase) * std::cos(y * waveY);
            double l = label.At(x, y);
            double surface = background * (1 - l) + paper * l;
            scene.At(x, y) = float(surface * (1 - options.contrast * ink.At(x, y)));
        }
    }
    return scene;
}

} // namespace

bool HasWideRatio(int symbology) {
    return symbology == BARCODE_CODE39 || symbology == BARCODE_CODE32 ||
           symbology == BARCODE_CODABAR || symbology == BARCODE_C25INTER;
}

std::vector<double> RunWidths(const BarPattern& pattern) {
    std::vector<double> runs;
    for (std::size_t i = 0; i < pattern.bars.size(); ++i) {
        if (i > 0) runs.push_back(pattern.bars[i].u0 - pattern.bars[i - 1].u1);
        runs.push_back(pattern.bars[i].u1 - pattern.bars[i].u0);
    }
    return runs;
}

BarPattern EncodeBars(int symbology, std::string_view data, const EncodeOptions& options) {
    BarPattern pattern;
    ZintSymbolPtr symbol(ZBarcode_Create());
    symbol->symbology = symbology;
    symbol->show_hrt = 0;
    symbol->scale = kModuleScale;
    if (options.addOnGap > 0) symbol->option_2 = options.addOnGap;
    int status = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()),
                                 int(data.size()));
    if (status >= ZINT_ERROR || ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR) {
        pattern.error = symbol->errtxt;
        return pattern;
    }
    double mainHeight = 0;
    for (const zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next) {
        pattern.bars.push_back({r->x, double(r->x) + r->width, r->y, double(r->y) + r->height});
        if (r->y == 0 && (mainHeight == 0 || r->height < mainHeight)) mainHeight = r->height;
    }
    std::sort(pattern.bars.begin(), pattern.bars.end(),
              [](const Bar& a, const Bar& b) { return a.u0 < b.u0; });
    pattern.height = mainHeight;

    if (options.barHeight > 0 && mainHeight > 0) {
        double k = options.barHeight / mainHeight;
        for (Bar& bar : pattern.bars) {
            bar.v0 *= k;
            bar.v1 *= k;
        }
        pattern.height = options.barHeight;
    }
    if (options.wideRatio > 0 && HasWideRatio(symbology) && !pattern.bars.empty())
        ApplyWideRatio(pattern, options.wideRatio);

    // The quiet zones that the standards ask for.
    const bool upce = symbology == BARCODE_UPCE;
    const bool ean = upce || symbology == BARCODE_EANX || symbology == BARCODE_UPCA;
    pattern.quietLeft = upce ? 9 : ean ? 11 : 10;
    pattern.quietRight = !ean ? 10 : data.find('+') != std::string_view::npos ? 5 : 7;
    return pattern;
}

void DrawBars(GrayImage& coverage, std::span<const Bar> bars, const Placement& p) {
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, coverage.width);
    std::vector<unsigned char> alpha(std::size_t(stride) * std::size_t(coverage.height), 0);
    Owned<cairo_surface_t, cairo_surface_destroy> surface(cairo_image_surface_create_for_data(
        alpha.data(), CAIRO_FORMAT_A8, coverage.width, coverage.height, stride));
    Owned<cairo_t, cairo_destroy> cr(cairo_create(surface.get()));
    // Reading direction (cos a, -sin a), y down.
    cairo_translate(cr.get(), p.centreX, p.centreY);
    cairo_rotate(cr.get(), -p.angleDegrees * 3.141592653589793 / 180.0);
    cairo_scale(cr.get(), p.pixelsPerModule, p.pixelsPerModule);
    cairo_translate(cr.get(), -p.symbolU, -p.symbolV);
    for (const Bar& b : bars) cairo_rectangle(cr.get(), b.u0, b.v0, b.u1 - b.u0, b.v1 - b.v0);
    cairo_fill(cr.get());
    cairo_surface_flush(surface.get());
    for (int y = 0; y < coverage.height; ++y)
        for (int x = 0; x < coverage.width; ++x) {
            float& c = coverage.At(x, y);
            c = std::min(1.0f,
                         c + alpha[std::size_t(y) * std::size_t(stride) + std::size_t(x)] / 255.0f);
        }
}

Damage SmudgeRuns(const BarPattern& pattern, int firstRun, int runCount) {
    std::vector<double> runs = RunWidths(pattern);
    double start = 0;
    for (int i = 0; i < firstRun; ++i) start += runs[std::size_t(i)];
    double end = start;
    for (int i = firstRun; i < firstRun + runCount; ++i) end += runs[std::size_t(i)];
    return Smudge(start, end);
}

Frame RenderBarcode(int symbology, std::string_view data, const RenderOptions& options) {
    BarPattern pattern = EncodeBars(symbology, data, options);
    if (!pattern.Ok()) return {};
    const Placement placement{options.width / 2.0 + options.offsetX,
                              options.height / 2.0 + options.offsetY,
                              (pattern.Left() + pattern.Right()) / 2,
                              pattern.height / 2,
                              options.pixelsPerModule,
                              options.angleDegrees};
    TestRandom random(options.seed);
    GrayImage scene = SymbolScene(pattern, placement, options, random);
    ApplyLighting(scene, options.lighting, random.Uniform(0, 360));
    GaussianBlur(scene, options.blurSigma);
    return ToFrame(scene, options.noiseSigma, random.Next());
}
