// Frames that show one barcode drawn by an independent encoder, libzint:
// its bars as rectangles in module units, placed into the frame with Cairo's
// anti-aliasing (so a non-integer number of pixels per module looks as a
// camera would see it), printed on a label on paper, damaged if asked,
// turned, then blurred, unevenly lit and noisy as a webcam delivers it.
#pragma once

#include "tests/support/frame.h"
#include "toolbox/owned.h"

#include <zint.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using ZintSymbolPtr = Owned<zint_symbol, ZBarcode_Delete>;

// One bar: u runs along the reading direction, v across it (0 = top of the
// main bars); both in narrow modules.
struct Bar {
    double u0 = 0, u1 = 0; // left and right edge
    double v0 = 0, v1 = 0; // top and bottom edge
};

struct BarPattern {
    std::vector<Bar> bars; // left to right, not overlapping
    double quietLeft = 10; // quiet zone the standard asks for, modules
    double quietRight = 10;
    double height = 0; // height of the main bars, modules
    std::string error; // libzint's message when encoding failed; empty on success

    bool Ok() const { return error.empty() && !bars.empty(); }
    double Left() const { return bars.front().u0; }
    double Right() const { return bars.back().u1; }
    // Bars plus quiet zones, modules.
    double TotalWidth() const { return Right() - Left() + quietLeft + quietRight; }
};

struct EncodeOptions {
    double wideRatio = 0; // wide-to-narrow ratio for Code 39, Codabar, I2of5; 0 keeps libzint's
    double barHeight = 0; // height of the main bars in modules; 0 keeps libzint's
    int addOnGap = 0;     // modules between an EAN/UPC symbol and its add-on; 0 keeps libzint's
};

// Encodes data with the libzint symbology (BARCODE_*), human-readable text
// off. EAN/UPC add-ons are written as libzint takes them: "5901234123457+12".
BarPattern EncodeBars(int symbology, std::string_view data, const EncodeOptions& options = {});

// The alternating run widths from the first bar to the last (bar, space,
// bar, ...), in modules.
std::vector<double> RunWidths(const BarPattern& pattern);

// True for the symbologies whose elements are narrow or wide.
bool HasWideRatio(int symbology);

// Where a symbol lies in the frame: the symbol point (symbolU, symbolV),
// in modules, lies at the frame point (centreX, centreY), and the reading
// direction is turned by angleDegrees counter-clockwise on screen.
struct Placement {
    double centreX = 320, centreY = 240; // pixels
    double symbolU = 0, symbolV = 0;     // modules
    double pixelsPerModule = 3;
    double angleDegrees = 0;
};

// Adds to each pixel of coverage (0 = none, 1 = fully covered) the share of
// its area that the bars cover, clamped to 1, as Cairo's anti-aliasing
// rasterises them.
void DrawBars(GrayImage& coverage, std::span<const Bar> bars, const Placement& placement);

// Damage done to a printed symbol before the camera sees it: a bar erased
// (paper over it along its whole height) or a symbol character smudged
// (an ink smear over its bars, along their whole height).
struct Damage {
    enum class Kind { EraseBar, Smudge };
    Kind kind = Kind::EraseBar;
    int barIndex = 0;      // EraseBar: index into the pattern's bars
    double u0 = 0, u1 = 0; // Smudge: span along the symbol, modules from the first bar's left edge
};

inline Damage Smudge(double u0, double u1) {
    return {Damage::Kind::Smudge, 0, u0, u1};
}

// The span of runs [firstRun, firstRun + runCount) of RunWidths(pattern),
// in modules from the first bar's left edge: where one symbol character lies.
Damage SmudgeRuns(const BarPattern& pattern, int firstRun, int runCount);

struct RenderOptions : EncodeOptions {
    double pixelsPerModule = 3.0; // pixels per narrow module
    double angleDegrees = 0;      // reading direction, counter-clockwise; 180 = upside down
    double offsetX = 0;           // symbol centre relative to the frame centre, pixels
    double offsetY = 0;
    double blurSigma = 0.5;  // camera defocus, pixels
    double noiseSigma = 2.0; // sensor noise, grey levels
    double contrast = 0.8;   // 1 - ink reflectance / paper reflectance
    double lighting = 0.1;   // strength of the light ramp across the frame (0 = even)
    std::uint64_t seed = 1;  // paper shade, lighting direction and noise
    std::vector<Damage> damage;
    int width = kFrameWidth,
        height = kFrameHeight; // pixels: a picture larger or smaller than a frame
};

// The frame; a black frame if libzint refused the data.
Frame RenderBarcode(int symbology, std::string_view data, const RenderOptions& options);
