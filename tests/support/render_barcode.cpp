// Composes a barcode scene: paper background with a mild shade variation,
// a lighter label that leaves more than the standard quiet zones, the ink
// of the bars (with any damage), then the camera's effects.
#include "tests/support/render_barcode.h"

#include "tests/support/bar_renderer.h"
#include "tests/support/camera_effects.h"
#include "tests/support/random.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kLabelMargin = 4;                 // modules of label beyond the quiet zones
constexpr double kLabelMarginAcross = 6;           // modules of label above and below the bars
constexpr double kPaperMin = 200, kPaperMax = 228; // label grey levels
constexpr double kBackgroundShade = 0.88;          // background relative to the label
constexpr double kShadeWave = 5;                   // grey levels of broad background variation

Placement PlaceSymbol(const BarPattern& pattern, const RenderOptions& options) {
    Placement p;
    p.centreX = kFrameWidth / 2.0 + options.offsetX;
    p.centreY = kFrameHeight / 2.0 + options.offsetY;
    p.symbolU = (pattern.Left() + pattern.Right()) / 2;
    p.symbolV = pattern.height / 2;
    p.pixelsPerModule = options.pixelsPerModule;
    p.angleDegrees = options.angleDegrees;
    return p;
}

// The label: one rectangle around bars and quiet zones.
Bar LabelRect(const BarPattern& pattern) {
    double top = 0, bottom = pattern.height;
    for (const Bar& b : pattern.bars) {
        top = std::min(top, b.v0);
        bottom = std::max(bottom, b.v1);
    }
    return {pattern.Left() - pattern.quietLeft - kLabelMargin,
            pattern.Right() + pattern.quietRight + kLabelMargin, top - kLabelMarginAcross,
            bottom + kLabelMarginAcross};
}

GrayImage SymbolScene(const BarPattern& pattern, const Placement& placement,
                      const RenderOptions& options, TestRandom& random) {
    double paper = random.Uniform(kPaperMin, kPaperMax);
    double waveX = random.Uniform(0.004, 0.012), waveY = random.Uniform(0.004, 0.012);
    double phase = random.Uniform(0, 6.28);

    GrayImage label(kFrameWidth, kFrameHeight, 0.0f);
    Bar rect = LabelRect(pattern);
    DrawBars(label, std::span(&rect, 1), placement);

    GrayImage ink(kFrameWidth, kFrameHeight, 0.0f);
    std::vector<Bar> bars = BarsAfterErasing(pattern, options.damage);
    DrawBars(ink, bars, placement);
    ApplySmudges(ink, pattern, placement, options.damage);

    GrayImage scene(kFrameWidth, kFrameHeight, 0.0f);
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
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

double MaxPixelsPerModule(const BarPattern& pattern, double span) {
    return span / pattern.TotalWidth();
}

RenderedSymbol RenderSymbol(int symbology, std::string_view data, const RenderOptions& options) {
    RenderedSymbol out;
    out.pattern =
        EncodeBars(symbology, data, {options.wideRatio, options.barHeight, options.addOnGap});
    if (!out.Ok()) return out;
    out.placement = PlaceSymbol(out.pattern, options);

    TestRandom random(options.seed);
    GrayImage scene = SymbolScene(out.pattern, out.placement, options, random);
    ApplyLighting(scene, options.lighting, random.Uniform(0, 360));
    GaussianBlur(scene, options.blurSigma);
    out.frame = ToFrame(scene, {options.noiseSigma, random.Next()});
    return out;
}

Frame RenderBarcode(int symbology, std::string_view data, const RenderOptions& options) {
    return RenderSymbol(symbology, data, options).frame;
}
