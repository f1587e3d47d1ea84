// Test pictures for kestrix-scan, made by independent encoders: libzint
// draws the barcodes, GStreamer's own encoders write them (tests/support/media.h)
// and ImageMagick's convert animates them.
#pragma once

#include "tests/support/media.h"
#include "tests/support/render_barcode.h"

#include <zint.h>

#include <string>

// A photograph of a symbol: libzint's bars on a label, pixelsPerModule
// wide and turned by degrees, in a picture of width x height pixels (one
// that just fits the label when its size is left 0), unevenly lit, a little
// out of focus and with sensor noise drawn from seed.
struct PhotoLook {
    int width = 0;
    int height = 0;
    double degrees = 0;
    double pixelsPerModule = 4;
    double noise = 2; // standard deviation, grey levels
    std::uint64_t seed = 1;
};

inline Frame Photo(int symbology, const std::string& data, const PhotoLook& look) {
    RenderOptions o;
    o.width = look.width, o.height = look.height;
    if (o.width == 0) {
        const BarPattern pattern = EncodeBars(symbology, data);
        o.width = int((pattern.TotalWidth() + 8) * look.pixelsPerModule) + 20;
        o.height = int((pattern.height + 12) * look.pixelsPerModule) + 20;
    }
    o.angleDegrees = look.degrees, o.pixelsPerModule = look.pixelsPerModule;
    o.noiseSigma = look.noise, o.seed = look.seed;
    o.blurSigma = 0.7, o.lighting = 0.15;
    return RenderBarcode(symbology, data, o);
}
