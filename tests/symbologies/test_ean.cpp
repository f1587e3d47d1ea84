// EAN-13, UPC-A and EAN-8: libzint-drawn frames under each setting, damaged
// symbols, and run tables at the limits of the rules that keep reads correct
// (quiet zones, guard spacing, digit widths, EAN-8 parity, reading backwards).
#include "tests/support/ean_images.h"
#include "tests/support/expected_text.h"
#include "tests/support/image_case.h"
#include "tests/support/runs.h"

#include "engine/scanner_instance.h"
#include "engine/symbology.h"
#include "symbologies/decoders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <tuple>

namespace {

ScannerInstance* Instance() {
    static const InstancePtr instance(NewInstance(nullptr, nullptr));
    return instance.get();
}

bool DecodeEAN13(Laser* laser) {
    return DecodeBarsEAN13(Instance(), laser);
}

// Run widths of an EAN-13 in modules: 0 the leading quiet zone, 1-3 the
// start guard, 4 + 4 k the first run of left digit k, 28-32 the centre
// guard, 33 + 4 k right digit k, then the end guard and the trailing quiet
// zone.
std::vector<double> Ean13(double leadingQuiet = 11, double trailingQuiet = 7) {
    return ZintRuns(BARCODE_EANX, "400638133393", leadingQuiet, trailingQuiet);
}

std::optional<std::string> Read13(const std::vector<double>& modules) {
    return DecodeModules(DecodeEAN13, kSymbologyEAN13, modules, 3);
}

std::optional<std::string> Read8(const std::vector<double>& modules) {
    return DecodeModules(DecodeBarsEAN8, kSymbologyEAN8, modules, 3);
}

struct RunCase {
    const char* name;
    std::vector<double> modules;
    bool reads;
};

std::vector<double> Changed(std::vector<double> runs,
                            const std::function<void(std::vector<double>&)>& change) {
    change(runs);
    return runs;
}

} // namespace

TEST(EAN, ImagesOfEAN13UnderEachSetting) {
    ExpectEanReadsUnderEachSetting(EanKind::EAN13, 0);
}
TEST(EAN, ImagesOfUPCAUnderEachSetting) {
    ExpectEanReadsUnderEachSetting(EanKind::UPCA, 0);
}
TEST(EAN, ImagesOfEAN8UnderEachSetting) {
    ExpectEanReadsUnderEachSetting(EanKind::EAN8, 0);
}

TEST(EAN, DamagedImagesNeverDelivered) {
    for (auto [family, zint, length] :
         {std::tuple{"EAN13", BARCODE_EANX, 12}, std::tuple{"UPCA", BARCODE_UPCA, 11},
          std::tuple{"EAN8", BARCODE_EANX, 7}}) {
        const int half = length == 7 ? 4 : 6;
        ExpectDamageNeverDelivered(
            {family, zint, 0, [=](TestRandom& r) { return RandomDigits(r, length); },
             [=](TestRandom& r, const BarPattern&) {
                 int j = r.Int(0, 2 * half - 1);
                 double start = j < half ? 3 + 7.0 * j : 3 + 7.0 * half + 5 + 7.0 * (j - half);
                 return Smudge(start, start + 7);
             },
             [=](const std::string& data) {
                 return (zint == BARCODE_UPCA ? "0" : "") + data + EanCheckDigit(data);
             }});
    }
}

TEST(EAN, RunTablesAtTheLimitsOfTheRules) {
    const RunCase cases[] = {
        {"as printed", Ean13(), true},
        {"trailing quiet zone as the laser's last run", Ean13(11, 9), true},
        {"trailing quiet zone of 5 modules", Ean13(11, 5), false},
        {"leading quiet zone of 5 modules", Ean13(5, 9), false},
        // Two right-half digits swapped: 4006381333391 fails its check digit.
        {"wrong check digit",
         Changed(Ean13(), [](auto& r) { std::swap_ranges(&r[45], &r[49], &r[49]); }), false},
        // Its pattern falls below the score threshold.
        {"a bar of the fourth digit 1.5 modules wider",
         Changed(Ean13(), [](auto& r) { r[18] += 1.5; }), false},
        {"one digit 1.5 modules wider than the others",
         Changed(Ean13(), [](auto& r) { r[14] += 1.5; }), false},
        // The bars alike, but 2 modules apart no longer: a laser entering
        // the bars from their side sees this.
        {"start guard's space of 4 modules", Changed(Ean13(), [](auto& r) { r[2] = 4; }), false},
        {"quiet zone of 5.5 modules though six times the thinned guard bar",
         Changed(Ean13(5.5, 7), [](auto& r) { r[1] = r[3] = 0.9, r[2] = 1.1; }), false},
        {"quiet zone of 6 modules before the thinned guard bar",
         Changed(Ean13(6, 7), [](auto& r) { r[1] = r[3] = 0.9, r[2] = 1.1; }), true},
    };
    for (const RunCase& c : cases) EXPECT_EQ(Read13(c.modules).has_value(), c.reads) << c.name;
    EXPECT_EQ(Read13(Ean13()), "4006381333931");

    // EAN-8: 4 + 4 k is the first run of left digit k. Reversing a digit's
    // runs turns its odd parity even, and an EAN-8 has no even left digit.
    auto ean8 = ZintRuns(BARCODE_EANX, "9638507", 9, 9);
    EXPECT_EQ(Read8(ean8), "96385074");
    for (std::size_t k = 0; k < 4; ++k) ean8 = ReversedGroup(ean8, 4 + 4 * k, 4);
    EXPECT_EQ(Read8(ean8), std::nullopt);
}

TEST(EAN, UPCAIsReadWhateverItsSwitchWhileEAN13IsOn) {
    SetBooleanInfo(Instance(), kKeyUPCA, 0);
    auto upca = ZintRuns(BARCODE_UPCA, "01234567890", 11, 7);
    EXPECT_EQ(DecodeModules(DecodeEAN13, kSymbologyUPCA, upca, 3), "0012345678905");
    SetBooleanInfo(Instance(), kKeyUPCA, 1);
}

TEST(EAN, DigitMatcherScoresAndThreshold) {
    auto laser = MakeLaser();
    // Guard bar, then digit 0 in odd parity: space 3, bar 2, space 1, bar 1.
    LoadRuns(*laser, {10, 1, 3, 2, 1, 1, 5}, false);
    laser->lastBarWidth = 1;
    std::uint8_t parity = 9;
    ASSERT_TRUE(DetectLeftDigitAndParity(laser.get(), 2, &parity, 1));
    EXPECT_EQ(laser->text[1], '0');
    EXPECT_EQ(parity, 0);
    EXPECT_EQ(laser->lastBarWidth, 1);

    // Even-parity 0: space 1, bar 1, space 2, bar 3 (its last bar is 3 wide).
    LoadRuns(*laser, {10, 1, 1, 1, 2, 3, 5}, false);
    laser->lastBarWidth = 1;
    ASSERT_TRUE(DetectLeftDigitAndParity(laser.get(), 2, &parity, 1));
    EXPECT_EQ(laser->text[1], '0');
    EXPECT_EQ(parity, 1);
    EXPECT_EQ(laser->lastBarWidth, 3);

    // Every split of 7 modules into four runs is a character, so a bad
    // measurement needs fractions: this one scores 2.08 at best and fails.
    LoadRuns(*laser, {10, 1, 0.5, 0.5, 0.5, 5.5, 5}, false);
    laser->lastBarWidth = 1;
    laser->text[1] = 'x';
    EXPECT_FALSE(DetectLeftDigitAndParity(laser.get(), 2, &parity, 1));
    EXPECT_EQ(laser->text[1], 'x');

    // Right half: digit 9 is bar 3, space 1, bar 1, space 2.
    LoadRuns(*laser, {5, 1, 3, 1, 1, 2, 5}, true);
    laser->lastSpaceWidth = 1;
    ASSERT_TRUE(DetectRightDigit(laser.get(), 2, 1));
    EXPECT_EQ(laser->text[1], '9');
    EXPECT_EQ(laser->lastSpaceWidth, 2);

    // Left-half parities that no first digit has.
    for (int pattern : {1, 63, 32}) EXPECT_EQ(DigitFromParityEncoding(pattern), '-') << pattern;
}

TEST(EAN, EAN8ReadBackwardsIsNeverAnotherNumber) {
    std::mt19937 rng(8);
    for (int n = 0; n < 20000; ++n) {
        std::string digits;
        for (int i = 0; i < 7; ++i) digits += char('0' + rng() % 10);
        auto read = Read8(Reversed(ZintRuns(BARCODE_EANX, digits, 11, 7)));
        if (read) {
            ASSERT_EQ(*read, digits + EanCheckDigit(digits));
        }
    }
}

TEST(EAN, RandomSymbolsWithJitterRoundTrip) {
    const unsigned seed = TestSeed(std::random_device{}());
    SCOPED_TRACE("seed " + std::to_string(seed) + " (set KESTRIX_TEST_SEED to replay)");
    std::mt19937 rng(seed);
    // Each edge moves by up to a tenth of a module, and ink spread widens
    // every bar at the expense of its spaces.
    std::uniform_real_distribution<double> jitter(-0.1, 0.1), spread(-0.2, 0.3);
    std::uniform_real_distribution<double> scale(1.5, 5.0);
    for (int n = 0; n < 2000; ++n) {
        bool eight = n % 3 == 0;
        std::string digits;
        for (int i = 0; i < (eight ? 7 : 12); ++i) digits += char('0' + rng() % 10);
        digits += EanCheckDigit(digits);
        auto runs = ZintRuns(BARCODE_EANX, digits.substr(0, digits.size() - 1), 11, 9);
        // A few runs of clutter before and after, as a laser sees them.
        runs.insert(runs.begin(), {30, 4, 2, 3});
        runs.insert(runs.end(), {3, 40});
        double s = scale(rng), ink = spread(rng);
        std::vector<double> edges{0};
        for (std::size_t k = 0; k < runs.size(); ++k) {
            double e = edges.back() + runs[k];
            if (k + 1 < runs.size()) e += jitter(rng) + (k % 2 ? ink : -ink) / 2;
            edges.push_back(e);
        }
        for (std::size_t k = 0; k < runs.size(); ++k) runs[k] = (edges[k + 1] - edges[k]) * s;
        OSType code = eight ? kSymbologyEAN8 : digits[0] == '0' ? kSymbologyUPCA : kSymbologyEAN13;
        ASSERT_EQ(DecodeText(eight ? DecodeBarsEAN8 : DecodeEAN13, code, runs), digits)
            << " at " << s;
    }
}
