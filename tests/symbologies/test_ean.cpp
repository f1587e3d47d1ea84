// EAN-13, UPC-A and EAN-8 over hand-built run tables encoded from the
// standard's character sets.
#include "ean_patterns.h"
#include "run_tables.h"

#include "engine/scanner_instance.h"
#include "engine/symbology.h"
#include "symbologies/decoders.h"

#include <gtest/gtest.h>

#include <random>

using namespace ean_test;

namespace {

struct Decoded {
    bool ok;
    OSType symbology;
    std::string text;
};

InstancePtr Instance() {
    return InstancePtr(NewInstance(nullptr, nullptr));
}

Decoded RunEAN13(const ScannerInstance* instance, const std::vector<double>& modules,
                 double samplesPerModule = 3) {
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(modules, samplesPerModule));
    bool ok = DecodeBarsEAN13(instance, laser.get());
    return {ok, laser->symbology, ok ? laser->text.ToString() : ""};
}

Decoded RunEAN8(const std::vector<double>& modules, double samplesPerModule = 3) {
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(modules, samplesPerModule));
    bool ok = DecodeBarsEAN8(laser.get());
    return {ok, laser->symbology, ok ? laser->text.ToString() : ""};
}

std::string WithCheck(std::string digits) {
    return digits + CheckDigit(digits);
}

} // namespace

TEST(EAN13, ReadsEAN13AndUPCAUnderEachSetting) {
    auto instance = Instance();
    auto ean = Runs(EAN13Modules("4006381333931"));
    auto upc = Runs(EAN13Modules("0012345678905"));

    Decoded r = RunEAN13(instance.get(), ean);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.symbology, kSymbologyEAN13);
    EXPECT_EQ(r.text, "4006381333931");

    // With EAN-13 on, a UPC-A keeps its leading 0 and its own code.
    r = RunEAN13(instance.get(), upc);
    EXPECT_EQ(r.symbology, kSymbologyUPCA);
    EXPECT_EQ(r.text, "0012345678905");

    // ... and is read whatever the UPC-A switch says.
    SetBooleanInfo(instance.get(), kKeyUPCA, 0);
    EXPECT_EQ(RunEAN13(instance.get(), upc).text, "0012345678905");

    // EAN-13 off: the 12-digit UPC-A number, and no EAN-13 at all.
    SetBooleanInfo(instance.get(), kKeyUPCA, 1);
    SetBooleanInfo(instance.get(), kKeyEAN13, 0);
    r = RunEAN13(instance.get(), upc);
    EXPECT_EQ(r.symbology, kSymbologyUPCA);
    EXPECT_EQ(r.text, "012345678905");
    EXPECT_FALSE(RunEAN13(instance.get(), ean).ok);
}

TEST(EAN13, TrailingQuietZoneMayBeTheLastRun) {
    auto instance = Instance();
    // Nothing after the trailing quiet zone: the laser's closing run.
    auto runs = Runs(EAN13Modules("4006381333931"), 11, 9);
    EXPECT_EQ(RunEAN13(instance.get(), runs).text, "4006381333931");
    EXPECT_EQ(RunEAN8(Runs(EAN8Modules("96385074"), 9, 9)).text, "96385074");

    // A trailing quiet zone too narrow for the end guard is no symbol.
    EXPECT_FALSE(RunEAN13(instance.get(), Runs(EAN13Modules("4006381333931"), 11, 5)).ok);
    EXPECT_FALSE(RunEAN13(instance.get(), Runs(EAN13Modules("4006381333931"), 5, 9)).ok);
}

TEST(EAN13, RejectsBadCheckDigitAndDamagedDigits) {
    auto instance = Instance();
    EXPECT_FALSE(RunEAN13(instance.get(), Runs(EAN13Modules("4006381333932"))).ok);

    // Widen one bar of the fourth digit by a module and a half: its pattern
    // falls below the score threshold and nothing is read.
    auto runs = Runs(EAN13Modules("4006381333931"));
    runs[1 + 3 + 3 * 4 + 2] += 1.5;
    EXPECT_FALSE(RunEAN13(instance.get(), runs).ok);
}

TEST(EAN13, ReadsMustKeepThePrintedProportions) {
    auto instance = Instance();
    const auto runs = Runs(EAN13Modules("4006381333931"));
    ASSERT_TRUE(RunEAN13(instance.get(), runs).ok);

    // A start guard whose space is 4 modules: its bars alike, but 2 modules
    // apart no longer (a laser entering the bars from their side sees this).
    auto wideGuard = runs;
    wideGuard[2] = 4;
    EXPECT_FALSE(RunEAN13(instance.get(), wideGuard).ok);

    // A quiet zone of 5.5 modules, though six times the thinned guard bar.
    auto thinBar = Runs(EAN13Modules("4006381333931"), 5.5, 7);
    thinBar[1] = thinBar[3] = 0.9;
    thinBar[2] = 1.1;
    EXPECT_FALSE(RunEAN13(instance.get(), thinBar).ok);
    thinBar[0] = 6;
    EXPECT_TRUE(RunEAN13(instance.get(), thinBar).ok);

    // One digit a module and a half wider than the others.
    auto wideDigit = runs;
    wideDigit[4 * 3 + 2] += 1.5;
    EXPECT_FALSE(RunEAN13(instance.get(), wideDigit).ok);
}

TEST(EAN13, DigitMatcherScoresAndThreshold) {
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
}

TEST(EAN13, ParityAndCheckDigitTables) {
    const std::pair<int, char> parity[] = {{0, '0'},  {11, '1'}, {13, '2'}, {14, '3'}, {19, '4'},
                                           {25, '5'}, {28, '6'}, {21, '7'}, {22, '8'}, {26, '9'},
                                           {1, '-'},  {63, '-'}, {32, '-'}};
    for (auto [pattern, digit] : parity)
        EXPECT_EQ(DigitFromParityEncoding(pattern), digit) << pattern;

    EXPECT_TRUE(VerifyChecksumEAN13(Str255::From("4006381333931")));
    EXPECT_FALSE(VerifyChecksumEAN13(Str255::From("4006381333930")));
    EXPECT_TRUE(VerifyChecksumEAN8(Str255::From("96385074")));
    EXPECT_FALSE(VerifyChecksumEAN8(Str255::From("96385075")));
}

TEST(EAN8, ReadsOnlyOddParityLeftHalves) {
    EXPECT_EQ(RunEAN8(Runs(EAN8Modules("96385074"))).symbology, kSymbologyEAN8);

    // An EAN-8 whose left half is made of even-parity patterns is not one.
    std::string m = EAN8Modules("96385074");
    std::string even = "101";
    for (int i = 0; i < 4; ++i) even += kG[D("96385074"[i])];
    even += m.substr(3 + 28);
    EXPECT_FALSE(RunEAN8(Runs(even)).ok);

    // Read backwards, no EAN-8 ever turns into another number.
    std::mt19937 rng(8);
    int wrong = 0;
    for (int n = 0; n < 20000; ++n) {
        std::string digits;
        for (int i = 0; i < 7; ++i) digits += char('0' + rng() % 10);
        auto runs = Runs(EAN8Modules(WithCheck(digits)));
        Decoded r = RunEAN8(Reversed(runs));
        if (r.ok && r.text != WithCheck(digits)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(EAN, RandomSymbolsWithJitterRoundTrip) {
    const unsigned seed = TestSeed(std::random_device{}());
    SCOPED_TRACE("seed " + std::to_string(seed) + " (set KESTRIX_TEST_SEED to replay)");
    std::mt19937 rng(seed);
    // Each edge moves by up to a tenth of a module, and ink spread widens
    // every bar at the expense of its spaces.
    std::uniform_real_distribution<double> jitter(-0.1, 0.1), spread(-0.2, 0.3);
    std::uniform_real_distribution<double> scale(1.5, 5.0);
    auto instance = Instance();

    for (int n = 0; n < 2000; ++n) {
        bool eight = n % 3 == 0;
        std::string digits;
        for (int i = 0; i < (eight ? 7 : 12); ++i) digits += char('0' + rng() % 10);
        digits = WithCheck(digits);
        auto runs = Runs(eight ? EAN8Modules(digits) : EAN13Modules(digits), 11, 9);
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
        auto laser = MakeLaser();
        LoadRuns(*laser, runs);
        bool ok =
            eight ? DecodeBarsEAN8(laser.get()) : DecodeBarsEAN13(instance.get(), laser.get());
        ASSERT_TRUE(ok) << digits << " at " << s;
        EXPECT_EQ(laser->text.ToString(), digits);
        EXPECT_EQ(laser->symbology,
                  eight ? kSymbologyEAN8 : (digits[0] == '0' ? kSymbologyUPCA : kSymbologyEAN13));
    }
}
