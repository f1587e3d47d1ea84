// Case conditions, messages and the shared image tables.
#include "tests/support/image_case.h"

#include "engine/dispatch.h"
#include "engine/scanner_instance.h"
#include "engine/symbology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Pixels along the reading direction that symbol and quiet zones may span:
// the shortest laser through the centre is 479 samples long.
constexpr double kMaxSymbolSpan = 440;
constexpr double kMinPixelsPerModule = 2.0;
constexpr double kMaxPixelsPerModule = 4.0;
constexpr double kMaxBlurPerModule = 0.45; // blur sigma up to this share of a module
constexpr double kMinBlur = 0.3;           // pixels: no camera is perfectly sharp
constexpr double kMaxNoise = 8;            // grey levels
constexpr double kMinContrast = 0.25, kMaxContrast = 0.9;
constexpr double kMaxLighting = 0.3;
constexpr double kMaxOffset = 8; // pixels from the frame centre
constexpr int kDamagedCases = 10;
// Viewing conditions drawn from the seed. The angle and the ratio are the
// caller's.
RenderOptions DrawConditions(std::uint64_t seed, const BarPattern& pattern, double angleDegrees,
                             double wideRatio) {
    TestRandom random(seed);
    RenderOptions o;
    double fit = std::min(kMaxPixelsPerModule, kMaxSymbolSpan / pattern.TotalWidth());
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

// "seed 12 angle 187.3 ppm 2.41 blur 0.62 noise 3.1 contrast 0.55 ..."
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

// A seed for case `index` of a test family, from the FNV-1a hash of its
// name (the same on every library) moved by shift.
std::uint64_t CaseSeed(const std::string& family, int index, std::uint64_t shift = 0) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : family) hash = (hash ^ std::uint8_t(c)) * 1099511628211ull;
    return (hash % 1000 + shift) * 1000003ull + std::uint64_t(index) * 7919ull + 1;
}

} // namespace

std::string Describe(const std::vector<ScanRead>& reads) {
    if (reads.empty()) return "no read";
    std::string out;
    for (const ScanRead& r : reads) {
        if (!out.empty()) out += "; ";
        out += "'" + FourCCToString(r.symbology) + "' \"" + r.text + "\" at frame " +
               std::to_string(r.frame);
    }
    return out;
}

std::string RandomText(TestRandom& random, const std::string& alphabet, int length) {
    std::string text;
    while (int(text.size()) < length)
        text += alphabet[std::size_t(random.Int(0, int(alphabet.size()) - 1))];
    return text;
}

void ExpectRowsDelivered(const std::string& family, int zintSymbology, OSType symbology,
                         const std::vector<SymbolRow>& rows, int variations,
                         std::initializer_list<OSType> alsoOn, OSType supplement) {
    const int total = int(rows.size()) * variations;
    const int frames = SymbologyHasChecksum(symbology) ? kFramesPerTurn : 2 * kFramesPerTurn;
    int index = 0;
    for (const SymbolRow& row : rows) {
        for (int v = 0; v < variations; ++v, ++index) {
            std::uint64_t seed = CaseSeed(family, index);
            TestRandom random(seed);
            double slot = 360.0 / total;
            double angle = std::fmod(index * slot * 7 + random.Uniform(0, slot), 360.0);
            BarPattern pattern = EncodeBars(zintSymbology, row.data, {row.wideRatio});
            ASSERT_TRUE(pattern.Ok()) << row.data << ": " << pattern.error;
            RenderOptions options = DrawConditions(seed, pattern, angle, row.wideRatio);
            const Frame frame = RenderBarcode(zintSymbology, row.data, options);
            SCOPED_TRACE("\"" + row.data + "\" " + Describe(seed, options));

            ScanHarness harness;
            harness.SetAllSymbologies(true);
            for (OSType key : alsoOn) harness.SetBoolean(key, true);
            harness.SetSupplementMode(supplement);
            std::vector<ScanRead> reads = harness.RunUntilRead(frame, frames);
            bool right = reads.size() == 1 && reads[0].text == row.expected &&
                         reads[0].symbology == symbology;
            EXPECT_TRUE(right) << Describe(reads) << ", want \"" << row.expected << "\"";
        }
    }
}

void ExpectDamageNeverDelivered(const DamageTable& table) {
    for (bool smudge : {false, true}) {
        std::string family = table.family + (smudge ? "_smudged" : "_erased");
        for (int i = 0; i < kDamagedCases; ++i) {
            std::uint64_t seed = CaseSeed(family, i, smudge ? 500 : 0);
            TestRandom random(seed);
            std::string data = table.data(random);
            BarPattern pattern = EncodeBars(table.zintSymbology, data, {table.wideRatio});
            ASSERT_TRUE(pattern.Ok()) << data << ": " << pattern.error;
            double angle = std::fmod(
                i * 360.0 / kDamagedCases + random.Uniform(0, 360.0 / kDamagedCases), 360.0);
            RenderOptions options = DrawConditions(seed, pattern, angle, table.wideRatio);
            Damage damage = smudge
                                ? table.character(random, pattern)
                                : Damage{.barIndex = random.Int(0, int(pattern.bars.size()) - 1)};
            options.damage.push_back(damage);
            const Frame frame = RenderBarcode(table.zintSymbology, data, options);
            SCOPED_TRACE(family + " \"" + data + "\" " + Describe(seed, options) +
                         (smudge ? " smudged modules " + std::to_string(damage.u0) + ".." +
                                       std::to_string(damage.u1)
                                 : " erased bar " + std::to_string(damage.barIndex)));

            const std::string intact = table.intact ? table.intact(data) : data;
            for (bool hard : {false, true}) {
                ScanHarness harness;
                harness.SetAllSymbologies(true);
                harness.SetBoolean(kKeyTryHarder, hard);
                std::vector<ScanRead> reads = harness.Run(frame, 2 * kFramesPerTurn);
                bool right =
                    std::ranges::all_of(reads, [&](const ScanRead& r) { return r.text == intact; });
                EXPECT_TRUE(hard ? right : reads.empty())
                    << "hard " << hard << ": " << Describe(reads)
                    << (right ? " (the intact symbol's text)" : " (a wrong read)");
            }
        }
    }
}

std::string Code39Text(std::string_view data) {
    std::string text(data);
    std::ranges::replace(text, ' ', '_');
    return text;
}
