// Test pictures for kestrix-scan, made by independent encoders: libzint
// draws the barcodes, GStreamer's own encoders write them (tests/support/media.h).
#pragma once

#include "tests/support/media.h"
#include "tests/support/render_barcode.h"

#include <zint.h>

#include <string>
#include <vector>

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

// An animated GIF of grey pictures (all of one size, played once), each shown for
// centiseconds: the plain LZW form that needs no table, every pixel a
// 9-bit code and a clear code before the table would widen them.
inline std::string AnimatedGif(const std::vector<Frame>& pictures, int centiseconds) {
    using namespace std::string_literals;
    const int w = pictures.front().width, h = pictures.front().height;
    std::string gif = "GIF89a";
    auto le16 = [&](int v) { gif += char(v & 0xFF), gif += char(v >> 8); };
    le16(w), le16(h);
    gif += char(0xF7), gif += '\0', gif += '\0'; // a 256-entry global colour table
    for (int i = 0; i < 256; ++i) gif.append(3, char(i));
    for (const Frame& picture : pictures) {
        gif += "\x21\xF9\x04\x00"s, le16(centiseconds), gif += "\x00\x00"s;
        gif += ',', le16(0), le16(0), le16(w), le16(h), gif += '\0';
        gif += char(8); // LZW code size
        std::string data;
        std::uint32_t bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= std::uint32_t(code) << count;
            for (count += 9; count >= 8; count -= 8, bits >>= 8) data += char(bits & 0xFF);
        };
        constexpr int kClear = 256, kEnd = 257, kRun = 250;
        for (std::size_t p = 0; p < picture.pixels.size(); ++p) {
            if (p % kRun == 0) put(kClear);
            put(int(picture.pixels[p] & 0xFF)); // grey: the blue byte is the level
        }
        put(kEnd);
        if (count > 0) data += char(bits & 0xFF);
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::string block = data.substr(at, 255);
            gif += char(block.size()), gif += block;
        }
        gif += '\0';
    }
    return gif + ';';
}
