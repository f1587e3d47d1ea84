// Benchmark frames, fixed by their seeds.
#include "bench/sample_frames.h"

#include "tests/support/random.h"
#include "tests/support/render_barcode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kBenchSeed = 20240611;
constexpr double kPi = 3.141592653589793;

double Radians(double degrees) {
    return degrees * kPi / 180.0;
}

constexpr std::array<const char*, 24> kWords = {
    "Invoice",    "total",       "12.50", "Delivery",     "address",   "Kestrel Road 41",
    "qty",        "item",        "III",   "lllll",        "1/11/2011", "Illinois",
    "milliliter", "the",         "and",   "of",           "WWW",       "order",
    "#000111",    "page 1 of 1", "||||",  "Hello, world", "MIII",      "ill 111",
};

constexpr float kTextBarHeight = 4; // modules; short bars, the text is what is wanted
constexpr int kInkThreshold = 128;  // a raster pixel darker than this is ink

// One line of text as ink rectangles, in font pixels from the text's left
// end, cut from libzint's raster so that the strokes are those of a real
// typeface: a Code 128 printed with its human-readable text, of which only
// the rows below the bars are kept.
std::vector<Bar> TextLine(const std::string& text) {
    std::vector<Bar> ink;
    ZintSymbolPtr symbol(ZBarcode_Create());
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 1;
    symbol->height = kTextBarHeight;
    if (ZBarcode_Encode_and_Buffer(symbol.get(),
                                   reinterpret_cast<const unsigned char*>(text.data()),
                                   int(text.size()), 0) >= ZINT_ERROR)
        return ink;
    const zint_symbol& s = *symbol;
    auto isInk = [&](int x, int y) {
        return s.bitmap[3 * (std::size_t(y) * std::size_t(s.bitmap_width) + x)] < kInkThreshold;
    };
    // The bars end at the first row without ink; the text follows.
    auto rowHasInk = [&](int y) {
        for (int x = 0; x < s.bitmap_width; ++x)
            if (isInk(x, y)) return true;
        return false;
    };
    int top = 0;
    while (top < s.bitmap_height && rowHasInk(top)) ++top;
    double left = s.bitmap_width;
    for (int y = top; y < s.bitmap_height; ++y)
        for (int x = 0, end; x < s.bitmap_width; x = end + 1) {
            for (end = x; end < s.bitmap_width && isInk(end, y);) ++end;
            if (end == x) continue;
            ink.push_back({double(x), double(end), double(y - top), y - top + 1.0});
            left = std::min(left, double(x));
        }
    for (Bar& b : ink) b.u0 -= left, b.u1 -= left;
    return ink;
}

GrayImage TextPage(TestRandom& random) {
    GrayImage scene(kFrameWidth, kFrameHeight, float(random.Uniform(190, 235))), ink;
    Placement line;
    line.angleDegrees = random.Chance(0.5) ? random.Uniform(-4, 4) : random.Uniform(0, 360);
    line.pixelsPerModule = random.Uniform(1.2, 3.5); // frame pixels a font pixel
    const double lineStep = line.pixelsPerModule * random.Uniform(12, 18);
    const double a = Radians(line.angleDegrees);
    const double dx = std::cos(a), dy = -std::sin(a), nx = std::sin(a), ny = std::cos(a);
    for (double across = -360; across < 360; across += lineStep) {
        std::string text;
        while (text.size() < std::size_t(random.Int(20, 60)))
            text += std::string(kWords[std::size_t(random.Int(0, int(kWords.size()) - 1))]) + " ";
        const double start = -400 + random.Uniform(0, 60);
        line.centreX = kFrameWidth / 2.0 + start * dx + across * nx;
        line.centreY = kFrameHeight / 2.0 + start * dy + across * ny;
        DrawBars(ink, TextLine(text), line);
    }
    const double darkness = random.Uniform(0.6, 0.9);
    for (std::size_t i = 0; i < scene.pixels.size(); ++i)
        scene.pixels[i] *= float(1 - darkness * ink.pixels[i]);
    return scene;
}

} // namespace

Frame FrameWithEAN13() {
    RenderOptions options;
    options.pixelsPerModule = 3.0;
    options.angleDegrees = 8;
    options.blurSigma = 0.7;
    options.noiseSigma = 3;
    options.contrast = 0.75;
    options.lighting = 0.15;
    options.seed = kBenchSeed;
    return RenderBarcode(BARCODE_EANX, "590123412345", options);
}

Frame FrameWithoutBarcode() {
    TestRandom random(kBenchSeed);
    const double noise = random.Uniform(1, 6); // a sensor's
    GrayImage page = TextPage(random);
    ApplyLighting(page, random.Uniform(0, 0.3), random.Uniform(0, 360));
    GaussianBlur(page, random.Uniform(0.3, 1.5));
    return ToFrame(page, noise, kBenchSeed);
}
