// Frames that show one barcode drawn by libzint: a printed label on paper,
// turned and placed in front of the camera, then blurred, unevenly lit and
// noisy as a webcam delivers it.
#pragma once

#include "tests/support/damage.h"
#include "tests/support/frame.h"
#include "tests/support/placement.h"
#include "tests/support/zint_bars.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct RenderOptions {
    double pixelsPerModule = 3.0; // pixels per narrow module
    double angleDegrees = 0;      // reading direction, counter-clockwise; 180 = upside down
    double offsetX = 0;           // symbol centre relative to the frame centre, pixels
    double offsetY = 0;
    double blurSigma = 0.5;  // camera defocus, pixels
    double noiseSigma = 2.0; // sensor noise, grey levels
    double contrast = 0.8;   // 1 - ink reflectance / paper reflectance
    double lighting = 0.1;   // strength of the light ramp across the frame (0 = even)
    std::uint64_t seed = 1;  // paper shade, lighting direction and noise
    double wideRatio = 0;    // wide-to-narrow ratio (Code 39, Codabar, I2of5); 0 keeps libzint's
    double barHeight = 0;    // bar height in modules; 0 keeps libzint's
    int addOnGap = 0;        // modules before an EAN/UPC add-on; 0 keeps libzint's
    std::vector<Damage> damage;
};

struct RenderedSymbol {
    Frame frame;
    BarPattern pattern;  // the bars as libzint drew them (re-spaced to wideRatio)
    Placement placement; // where they lie in the frame
    bool Ok() const { return pattern.Ok(); }
};

RenderedSymbol RenderSymbol(int symbology, std::string_view data, const RenderOptions& options);

// The frame alone; a black frame if libzint refused the data.
Frame RenderBarcode(int symbology, std::string_view data, const RenderOptions& options);

// The largest pixels per module at which the symbol and its quiet zones
// span at most span pixels.
double MaxPixelsPerModule(const BarPattern& pattern, double span);
