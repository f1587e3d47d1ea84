// Test pictures for kestrix-scan, made by independent encoders: libzint
// draws the barcodes, GStreamer's own encoders write them (tests/support/media.h).
#pragma once

#include "tests/support/media.h"
#include "tests/support/random.h"
#include "tests/support/render_barcode.h"

#include <zint.h>

#include <algorithm>
#include <numbers>
#include <string>
#include <vector>

// libzint's raster of the symbol (white background, human-readable text,
// whitespace modules of quiet zone left and right, scale 1 drawing a module
// 2 pixels wide); empty when libzint refuses the data.
inline Frame ZintPicture(int symbology, const std::string& data, float scale = 2,
                         int whitespace = 10) {
    ZintSymbolPtr symbol(ZBarcode_Create());
    symbol->symbology = symbology;
    symbol->scale = scale;
    symbol->whitespace_width = whitespace;
    if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()),
                        int(data.size())) >= ZINT_ERROR ||
        ZBarcode_Buffer(symbol.get(), 0) >= ZINT_ERROR)
        return Frame(0, 0);
    Frame picture(symbol->bitmap_width, symbol->bitmap_height);
    for (std::size_t p = 0; p < picture.pixels.size(); ++p) {
        const unsigned char* rgb = symbol->bitmap + 3 * p;
        picture.pixels[p] = 0xFF000000u | std::uint32_t(rgb[0]) << 16 | rgb[1] << 8 | rgb[2];
    }
    return picture;
}

// The symbol as a camera might see it: placed at the centre of a larger
// unevenly lit grey canvas, turned by degrees, scaled by zoom and overlaid
// with sensor noise drawn from seed.
struct PhotoLook {
    int width = 1600;
    int height = 1200;
    double degrees = 6;
    double zoom = 2;
    double noise = 6; // standard deviation, grey levels
    std::uint32_t seed = 1;
};

inline Frame Photo(const Frame& label, const PhotoLook& look) {
    Frame photo(look.width, look.height);
    TestRandom random(look.seed);
    const double angle = look.degrees * std::numbers::pi / 180;
    const double cosA = std::cos(angle), sinA = std::sin(angle);
    for (int y = 0; y < look.height; ++y) {
        for (int x = 0; x < look.width; ++x) {
            // Canvas point back into the label: undo the zoom and the turn.
            const double dx = (x - look.width / 2.0) / look.zoom;
            const double dy = (y - look.height / 2.0) / look.zoom;
            const double u = cosA * dx + sinA * dy + label.width / 2.0;
            const double v = -sinA * dx + cosA * dy + label.height / 2.0;
            const bool onLabel = u >= 0 && v >= 0 && u <= label.width - 1 && v <= label.height - 1;
            const double light = 105 + 50.0 * (x + y) / (look.width + look.height);
            const double shade = 0.9 + 0.1 * x / look.width; // light falls off to the left
            std::uint32_t word = 0xFF000000u;
            for (int shift : {16, 8, 0}) {
                const double level =
                    onLabel ? Bilinear(u, v,
                                       [&](int lx, int ly) {
                                           lx = std::min(lx, label.width - 1);
                                           ly = std::min(ly, label.height - 1);
                                           return double(label.At(lx, ly) >> shift & 0xFF);
                                       })
                            : light + shift / 2; // a warm background
                const double value = level * shade + look.noise * random.Normal();
                word |= std::uint32_t(std::clamp(value, 0.0, 255.0)) << shift;
            }
            photo.At(x, y) = word;
        }
    }
    return photo;
}

// An animated GIF of grey pictures (all of one size), each shown for
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
    gif += "\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"s; // loop for ever
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
            const std::uint32_t q = picture.pixels[p];
            put(int((q >> 16 & 0xFF) + 2 * (q >> 8 & 0xFF) + (q & 0xFF)) / 4);
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
