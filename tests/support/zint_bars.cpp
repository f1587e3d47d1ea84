// Takes libzint's vector output (rectangles, one module = 1 unit at scale
// 0.5) and turns it into bars in module units. For the symbologies built of
// narrow and wide elements the runs are re-spaced to the wide-to-narrow
// ratio asked for: libzint draws only its own fixed ratio.
#include "tests/support/zint_bars.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kModuleScale = 0.5f;   // libzint's vector scale giving 1 unit per module
constexpr double kWideThreshold = 1.5; // runs wider than this (modules) are wide elements

struct QuietZones {
    double left, right;
};

// Quiet zones that the standards ask for, in modules.
QuietZones StandardQuietZones(int symbology, bool hasAddOn) {
    switch (symbology) {
    case BARCODE_EANX:
    case BARCODE_EANX_CHK:
    case BARCODE_UPCA:
    case BARCODE_UPCA_CHK:
        return {11, hasAddOn ? 5.0 : 7.0};
    case BARCODE_UPCE:
    case BARCODE_UPCE_CHK:
        return {9, hasAddOn ? 5.0 : 7.0};
    default:
        return {10, 10};
    }
}

// Rebuilds the bars with every wide run (bar or space) set to ratio modules.
void ApplyWideRatio(BarPattern& pattern, double ratio) {
    std::vector<double> runs = RunWidths(pattern);
    double u = pattern.bars.front().u0;
    std::vector<Bar> rebuilt;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        double width = runs[i] > kWideThreshold ? ratio : runs[i];
        if (i % 2 == 0) {
            Bar bar = pattern.bars[i / 2];
            bar.u0 = u;
            bar.u1 = u + width;
            rebuilt.push_back(bar);
        }
        u += width;
    }
    pattern.bars = std::move(rebuilt);
}

} // namespace

bool HasWideRatio(int symbology) {
    return symbology == BARCODE_CODE39 || symbology == BARCODE_CODABAR ||
           symbology == BARCODE_C25INTER;
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
    if (!symbol) {
        pattern.error = "libzint could not allocate a symbol";
        return pattern;
    }
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
    pattern.encodedText = reinterpret_cast<const char*>(symbol->text);

    double mainHeight = 0;
    for (const zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next) {
        pattern.bars.push_back({r->x, double(r->x) + r->width, r->y, double(r->y) + r->height});
        if (r->y == 0 && (mainHeight == 0 || r->height < mainHeight)) mainHeight = r->height;
    }
    if (pattern.bars.empty()) {
        pattern.error = "libzint drew no bars";
        return pattern;
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
    if (options.wideRatio > 0 && HasWideRatio(symbology))
        ApplyWideRatio(pattern, options.wideRatio);

    QuietZones quiet = StandardQuietZones(symbology, data.find('+') != std::string_view::npos);
    pattern.quietLeft = quiet.left;
    pattern.quietRight = quiet.right;
    return pattern;
}
