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

// Printed text: the glyphs are libzint's own human-readable-text font, so the
// strokes are those of a real typeface.
constexpr float kTextBarHeight = 4; // modules; short bars, the text is what is wanted
constexpr int kInkThreshold = 128;  // a raster pixel darker than this is ink

bool IsInk(const zint_symbol& s, int x, int y) {
    const unsigned char* p = s.bitmap + 3 * (std::size_t(y) * std::size_t(s.bitmap_width) + x);
    return p[0] < kInkThreshold;
}

// Bilinear read of a coverage image, pixel centres at half coordinates; 0 outside.
double Sample(const GrayImage& g, double x, double y) {
    return Bilinear(x - 0.5, y - 0.5, [&](int xi, int yi) {
        return (xi < 0 || yi < 0 || xi >= g.width || yi >= g.height) ? 0.0 : double(g.At(xi, yi));
    });
}

struct TextPlacement {
    double x = 0, y = 0;     // frame point of the line's top-left corner
    double scale = 2;        // frame pixels per font pixel
    double angleDegrees = 0; // counter-clockwise
    double ink = 0.85;       // darkness of the strokes, 1 = black
};

// One line of text as ink coverage (1 = ink), one font pixel per pixel,
// cut from libzint's raster output: the symbol is printed with its
// human-readable text, and only the rows below the bars are kept; an empty
// image when libzint cannot print the text.
GrayImage TextLineGlyphs(std::string_view text) {
    ZintSymbolPtr symbol(ZBarcode_Create());
    if (!symbol) return GrayImage(0, 0, 0);
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 1;
    symbol->height = kTextBarHeight;
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

// Darkens the scene with the line's glyphs (bilinear, so scaled text is
// smooth at its edges).
void DrawTextLine(GrayImage& scene, const GrayImage& glyphs, const TextPlacement& where) {
    if (glyphs.width == 0) return;
    double a = Radians(where.angleDegrees);
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

// White noise smoothed to blobs of about `size` pixels, scaled to unit spread.
GrayImage SmoothNoise(TestRandom& random, double size) {
    GrayImage field(kFrameWidth, kFrameHeight, 0.0f);
    for (float& v : field.pixels) v = float(random.Normal());
    GaussianBlur(field, size);
    double sum2 = 0;
    for (float v : field.pixels) sum2 += double(v) * v;
    float norm = float(1.0 / std::sqrt(sum2 / double(field.pixels.size()) + 1e-12));
    for (float& v : field.pixels) v *= norm;
    return field;
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

GrayImage Blobs(TestRandom& random) {
    GrayImage field = SmoothNoise(random, random.Uniform(2, 10));
    double mid = random.Uniform(80, 170), spread = random.Uniform(20, 60);
    bool spots = random.Chance(0.5); // hard-edged spots rather than mottling
    for (float& v : field.pixels) {
        double t = spots ? std::tanh(3 * v) : v;
        v = float(mid + spread * t);
    }
    return field;
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

GrayImage TextPage(TestRandom& random) {
    GrayImage scene = Flat(random.Uniform(190, 235));
    double angle = random.Chance(0.5) ? random.Uniform(-4, 4) : random.Uniform(0, 360);
    double scale = random.Uniform(1.2, 3.5);
    double lineStep = scale * random.Uniform(12, 18);
    double a = Radians(angle);
    double dx = std::cos(a), dy = -std::sin(a), nx = std::sin(a), ny = std::cos(a);
    for (double across = -360; across < 360; across += lineStep) {
        std::string line;
        while (line.size() < std::size_t(random.Int(20, 60)))
            line += std::string(kWords[std::size_t(random.Int(0, int(kWords.size()) - 1))]) + " ";
        GrayImage glyphs = TextLineGlyphs(line);
        double start = -400 + random.Uniform(0, 60);
        TextPlacement where;
        where.x = kFrameWidth / 2.0 + start * dx + across * nx;
        where.y = kFrameHeight / 2.0 + start * dy + across * ny;
        where.scale = scale;
        where.angleDegrees = angle;
        where.ink = random.Uniform(0.6, 0.9);
        DrawTextLine(scene, glyphs, where);
    }
    return scene;
}

GrayImage Gradient(TestRandom& random) {
    double a = Radians(random.Uniform(0, 360));
    double from = random.Uniform(40, 230), to = random.Uniform(40, 230);
    double cx = random.Uniform(0, kFrameWidth), cy = random.Uniform(0, kFrameHeight);
    double radius = random.Uniform(100, 500), shadow = random.Uniform(0, 0.5);
    double edgeAt = random.Uniform(-200, 200), edgeSoftness = random.Uniform(3, 30);
    return Paint([&](int x, int y) -> double {
        double t =
            ((x - kFrameWidth / 2.0) * std::cos(a) + (y - kFrameHeight / 2.0) * std::sin(a)) / 800 +
            0.5;
        double v = from + (to - from) * t;
        double r = std::hypot(x - cx, y - cy) / radius;
        v *= 1 - shadow * std::exp(-r * r);
        double s = ((x - kFrameWidth / 2.0) * std::sin(a) - (y - kFrameHeight / 2.0) * std::cos(a) -
                    edgeAt);
        v *= 1 - 0.3 / (1 + std::exp(-s / edgeSoftness)); // a soft shadow edge
        return v;
    });
}

GrayImage Wood(TestRandom& random) {
    GrayImage turbulence = SmoothNoise(random, random.Uniform(8, 20));
    double cx = random.Uniform(-800, 1400), cy = random.Uniform(-800, 1200);
    double ringSpacing = random.Uniform(6, 25), stretch = random.Uniform(2, 8);
    double a = Radians(random.Uniform(0, 180));
    double light = random.Uniform(150, 210), dark = light * random.Uniform(0.45, 0.75);
    return Paint([&](int x, int y) -> double {
        double rx = x - cx, ry = y - cy;
        double u = rx * std::cos(a) + ry * std::sin(a),
               v = (-rx * std::sin(a) + ry * std::cos(a)) * stretch;
        double r = std::hypot(u, v) / stretch + 4 * turbulence.At(x, y);
        double ring = std::pow(0.5 + 0.5 * std::sin(2 * kPi * r / ringSpacing), 3);
        return light + (dark - light) * ring;
    });
}

GrayImage Fabric(TestRandom& random) {
    double period = random.Uniform(3, 12);
    double a = Radians(random.Uniform(0, 90));
    double light = random.Uniform(120, 220), depth = random.Uniform(0.2, 0.6);
    GrayImage fibres = SmoothNoise(random, 1.0);
    return Paint([&](int x, int y) -> double {
        double u = (x * std::cos(a) + y * std::sin(a)) / period;
        double v = (-x * std::sin(a) + y * std::cos(a)) / period;
        bool warpOnTop = (int(std::floor(u)) + int(std::floor(v))) % 2 == 0;
        double thread =
            warpOnTop ? std::sin(kPi * (u - std::floor(u))) : std::sin(kPi * (v - std::floor(v)));
        double shade = 1 - depth * (1 - thread) + 0.05 * fibres.At(x, y);
        return light * shade;
    });
}

} // namespace

const char* ClutterName(ClutterKind kind) {
    constexpr const char* kNames[] = {"noise",          "blobs", "regular stripes",
                                      "random stripes", "text",  "gradient",
                                      "wood",           "fabric"};
    return kNames[int(kind)];
}

ClutterScene MakeClutterScene(ClutterKind kind, std::uint64_t seed) {
    TestRandom random(seed);
    ClutterScene out;
    out.noiseSigma = random.Uniform(1, 6);
    switch (kind) {
    case ClutterKind::Noise:
        out.scene = Flat(random.Uniform(60, 190));
        out.noiseSigma = random.Uniform(8, 40);
        break;
    case ClutterKind::Blobs:
        out.scene = Blobs(random);
        break;
    case ClutterKind::RegularStripes:
        out.scene = Stripes(random, true);
        break;
    case ClutterKind::RandomStripes:
        out.scene = Stripes(random, false);
        break;
    case ClutterKind::Text:
        out.scene = TextPage(random);
        break;
    case ClutterKind::Gradient:
        out.scene = Gradient(random);
        break;
    case ClutterKind::Wood:
        out.scene = Wood(random);
        break;
    case ClutterKind::Fabric:
        out.scene = Fabric(random);
        break;
    }
    ApplyLighting(out.scene, random.Uniform(0, 0.3), random.Uniform(0, 360));
    GaussianBlur(out.scene, random.Uniform(0.3, 1.5));
    return out;
}

Frame ClutterFrame(const ClutterScene& scene, std::uint64_t frameSeed) {
    return ToFrame(scene.scene, {scene.noiseSigma, frameSeed});
}
