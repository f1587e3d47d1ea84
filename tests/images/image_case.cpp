// Case conditions and messages for the image tests.
#include "image_case.h"

#include "tests/support/png_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double kMaxBlurPerModule = 0.45; // blur sigma up to this share of a module
constexpr double kMinBlur = 0.3;           // pixels: no camera is perfectly sharp
constexpr double kMaxNoise = 8;            // grey levels
constexpr double kMinContrast = 0.25, kMaxContrast = 0.9;
constexpr double kMaxLighting = 0.3;
constexpr double kMaxOffset = 8; // pixels from the frame centre

} // namespace

RenderOptions DrawConditions(std::uint64_t seed, const BarPattern& pattern, double angleDegrees,
                             double wideRatio) {
    TestRandom random(seed);
    RenderOptions o;
    double fit = std::min(kMaxPixelsPerModule, MaxPixelsPerModule(pattern, kMaxSymbolSpan));
    o.pixelsPerModule = random.Uniform(kMinPixelsPerModule, std::max(kMinPixelsPerModule, fit));
    o.angleDegrees = angleDegrees;
    o.blurSigma =
        random.Uniform(kMinBlur, std::max(kMinBlur, kMaxBlurPerModule * o.pixelsPerModule));
    o.noiseSigma = random.Uniform(0.5, kMaxNoise);
    o.contrast = random.Uniform(kMinContrast, kMaxContrast);
    o.lighting = random.Uniform(0, kMaxLighting);
    o.offsetX = random.Uniform(-kMaxOffset, kMaxOffset);
    o.offsetY = random.Uniform(-kMaxOffset, kMaxOffset);
    o.seed = random.Next();
    o.wideRatio = wideRatio;
    return o;
}

std::string Describe(std::uint64_t seed, const RenderOptions& o) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "seed %llu angle %.3f ppm %.2f blur %.2f noise %.1f contrast %.2f lighting %.2f "
                  "offset %.1f,%.1f ratio %.1f",
                  static_cast<unsigned long long>(seed), o.angleDegrees, o.pixelsPerModule,
                  o.blurSigma, o.noiseSigma, o.contrast, o.lighting, o.offsetX, o.offsetY,
                  o.wideRatio);
    return text;
}

std::string Describe(const std::vector<ScanRead>& reads) {
    if (reads.empty()) return "no read";
    std::string out;
    for (const ScanRead& r : reads) {
        if (!out.empty()) out += "; ";
        out += "'" + CodeName(r.symbology) + "' \"" + r.text + "\" at frame " +
               std::to_string(r.frame);
    }
    return out;
}

std::uint64_t CaseSeed(std::uint64_t family, int index) {
    return family * 1000003ull + std::uint64_t(index) * 7919ull + 1;
}

void DumpFrame(const Frame& frame, const std::string& name) {
    const char* dir = std::getenv("KESTRIX_IMAGE_DUMP");
    if (!dir || !*dir) return;
    WritePng(frame, std::string(dir) + "/" + name + ".png");
}
