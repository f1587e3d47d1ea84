// Text lines cut from libzint's raster output: the symbol is printed with
// its human-readable text, and only the rows below the bars are kept.
#include "tests/support/text_lines.h"

#include "tests/support/zint_bars.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr float kBarHeight = 4;    // modules; short bars, the text is what is wanted
constexpr int kInkThreshold = 128; // a raster pixel darker than this is ink

bool IsInk(const zint_symbol& s, int x, int y) {
    const unsigned char* p = s.bitmap + 3 * (std::size_t(y) * std::size_t(s.bitmap_width) + x);
    return p[0] < kInkThreshold;
}

// Bilinear read of a coverage image; 0 outside.
double Sample(const GrayImage& g, double x, double y) {
    x -= 0.5;
    y -= 0.5;
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    double fx = x - x0, fy = y - y0;
    auto at = [&](int xi, int yi) {
        return (xi < 0 || yi < 0 || xi >= g.width || yi >= g.height) ? 0.0 : double(g.At(xi, yi));
    };
    return (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy) +
           (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
}

} // namespace

GrayImage TextLineGlyphs(std::string_view text) {
    ZintSymbolPtr symbol(ZBarcode_Create());
    if (!symbol) return GrayImage(0, 0, 0);
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 1;
    symbol->height = kBarHeight;
    std::string data(text);
    if (ZBarcode_Encode_and_Buffer(symbol.get(),
                                   reinterpret_cast<const unsigned char*>(data.c_str()),
                                   int(data.size()), 0) >= ZINT_ERROR)
        return GrayImage(0, 0, 0);
    const zint_symbol& s = *symbol;

    // The bars end at the first row without ink; the text follows below.
    int row = 0;
    while (row < s.bitmap_height) {
        bool any = false;
        for (int x = 0; x < s.bitmap_width && !any; ++x) any = IsInk(s, x, row);
        if (!any) break;
        ++row;
    }
    int left = s.bitmap_width, right = -1, top = s.bitmap_height, bottom = -1;
    for (int y = row; y < s.bitmap_height; ++y) {
        for (int x = 0; x < s.bitmap_width; ++x) {
            if (!IsInk(s, x, y)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return GrayImage(0, 0, 0);
    GrayImage glyphs(right - left + 1, bottom - top + 1, 0.0f);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            glyphs.At(x - left, y - top) = IsInk(s, x, y) ? 1.0f : 0.0f;
    return glyphs;
}

void DrawTextLine(GrayImage& scene, const GrayImage& glyphs, const TextPlacement& where) {
    if (glyphs.width == 0) return;
    double a = where.angleDegrees * 3.141592653589793 / 180.0;
    double dx = std::cos(a), dy = -std::sin(a); // along the line
    double nx = std::sin(a), ny = std::cos(a);  // down the glyphs
    double w = glyphs.width * where.scale, h = glyphs.height * where.scale;
    double cornersX[4] = {where.x, where.x + w * dx, where.x + h * nx, where.x + w * dx + h * nx};
    double cornersY[4] = {where.y, where.y + w * dy, where.y + h * ny, where.y + w * dy + h * ny};
    int x0 = std::max(0, int(*std::min_element(cornersX, cornersX + 4)) - 1);
    int x1 = std::min(scene.width - 1, int(*std::max_element(cornersX, cornersX + 4)) + 1);
    int y0 = std::max(0, int(*std::min_element(cornersY, cornersY + 4)) - 1);
    int y1 = std::min(scene.height - 1, int(*std::max_element(cornersY, cornersY + 4)) + 1);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            double rx = x + 0.5 - where.x, ry = y + 0.5 - where.y;
            double gx = (rx * dx + ry * dy) / where.scale, gy = (rx * nx + ry * ny) / where.scale;
            double cover = Sample(glyphs, gx, gy);
            if (cover > 0) scene.At(x, y) *= float(1 - where.ink * cover);
        }
    }
}
