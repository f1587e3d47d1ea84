// Procedural scenes without a barcode.
#include "tests/support/clutter.h"

#include "tests/support/random.h"
#include "tests/support/render_barcode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.141592653589793;

double Radians(double degrees) {
    return degrees * kPi / 180.0;
}

GrayImage Flat(double level) {
    return GrayImage(kFrameWidth, kFrameHeight, float(level));
}

// A frame-sized scene whose every pixel is level(x, y).
template <typename Level>
GrayImage Paint(Level level) {
    GrayImage scene = Flat(0);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x) scene.At(x, y) = float(level(x, y));
    return scene;
}

// Stripes along direction angle inside a band of the frame (or all of it).
GrayImage Stripes(TestRandom& random, bool regular) {
    double angle = random.Uniform(0, 360);
    double dx = std::cos(Radians(angle)), dy = -std::sin(Radians(angle));
    double light = random.Uniform(150, 230), dark = light * random.Uniform(0.15, 0.6);
    std::vector<double> edges; // positions where light and dark alternate, pixels along (dx, dy)
    double reach = 420;
    if (regular) {
        double period = random.Uniform(3, 40), duty = random.Uniform(0.2, 0.8);
        for (double p = -reach; p < reach; p += period)
            edges.insert(edges.end(), {p, p + duty * period});
    } else {
        double narrow = random.Uniform(1.5, 5), broad = narrow * random.Uniform(1.5, 5);
        for (double p = -reach; p < reach;) {
            edges.push_back(p);
            p += random.Uniform(narrow, broad);
        }
    }
    bool sine = regular && random.Chance(0.3);
    double bandHalf = random.Chance(0.5) ? 1e9 : random.Uniform(40, 200); // across the stripes
    return Paint([&](int x, int y) -> double {
        double rx = x + 0.5 - kFrameWidth / 2.0, ry = y + 0.5 - kFrameHeight / 2.0;
        double along = rx * dx + ry * dy, across = -rx * dy + ry * dx;
        if (std::abs(across) > bandHalf) return light;
        double darkness;
        if (sine) {
            darkness = 0.5 + 0.5 * std::sin(2 * kPi * along / (edges[2] - edges[0]));
        } else {
            auto it = std::upper_bound(edges.begin(), edges.end(), along);
            darkness = (it - edges.begin()) % 2 == 1 ? 1.0 : 0.0;
        }
        return light + (dark - light) * darkness;
    });
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
    GrayImage scene = Flat(random.Uniform(190, 235)), ink = Flat(0);
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

GrayImage Noise(TestRandom& random) {
    return Flat(random.Uniform(60, 190));
}
GrayImage RegularStripes(TestRandom& random) {
    return Stripes(random, true);
}
GrayImage RandomStripes(TestRandom& random) {
    return Stripes(random, false);
}

} // namespace

const char* ClutterName(ClutterKind kind) {
    constexpr const char* kNames[] = {"noise", "regular stripes", "random stripes", "text"};
    return kNames[int(kind)];
}

ClutterScene MakeClutterScene(ClutterKind kind, std::uint64_t seed) {
    constexpr GrayImage (*kScenes[])(TestRandom&) = {Noise, RegularStripes, RandomStripes,
                                                     TextPage};
    TestRandom random(seed);
    ClutterScene out;
    // Flat grey comes under heavy noise; the others under a sensor's.
    out.noiseSigma = kind == ClutterKind::Noise ? random.Uniform(8, 40) : random.Uniform(1, 6);
    out.scene = kScenes[int(kind)](random);
    ApplyLighting(out.scene, random.Uniform(0, 0.3), random.Uniform(0, 360));
    GaussianBlur(out.scene, random.Uniform(0.3, 1.5));
    return out;
}

Frame ClutterFrame(const ClutterScene& scene, std::uint64_t frameSeed) {
    return ToFrame(scene.scene, scene.noiseSigma, frameSeed);
}
