// Barcode symbols drawn by an independent encoder, libzint: the bars of one
// symbol as rectangles in module units, ready to be placed into a frame.
#pragma once

#include <zint.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct ZintDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using ZintSymbolPtr = std::unique_ptr<zint_symbol, ZintDeleter>;

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
    double height = 0;       // height of the main bars, modules
    std::string encodedText; // libzint's own reading of what it encoded (check digits added)
    std::string error;       // libzint's message when encoding failed; empty on success

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
