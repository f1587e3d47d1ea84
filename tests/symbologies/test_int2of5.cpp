// Interleaved 2 of 5 decoder tests on hand-built run tables. The digit
// patterns are derived here from the standard's element weights 1, 2, 4, 7
// and 0, so the decoder is checked against the standard rather than against
// its own table.
#include "engine/laser.h"
#include "engine/symbology.h"
#include "symbologies/decoders.h"
#include "tests/symbologies/run_tables.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The five elements of a digit, true for wide: the two wide elements are
// those whose weights add up to the digit (to 11 for 0).
std::array<bool, 5> DigitElements(int digit) {
    constexpr int kWeights[5] = {1, 2, 4, 7, 0};
    const int target = digit == 0 ? 11 : digit;
    for (int i = 0; i < 5; ++i)
        for (int j = i + 1; j < 5; ++j)
            if (kWeights[i] + kWeights[j] == target) {
                std::array<bool, 5> wide{};
                wide[i] = wide[j] = true;
                return wide;
            }
    ADD_FAILURE() << "no pattern for " << digit;
    return {};
}

constexpr double kQuiet = 10.0; // narrow elements

struct Layout {
    double wide = 2.5;   // wide element, in narrow elements
    double stopWide = 0; // the stop's wide bar; 0 for the same as the others
    double leadingQuiet = kQuiet;
    double trailingQuiet = kQuiet; // 0 leaves the run out
};

// Widths in narrow elements of a symbol of an even number of digits.
std::vector<double> Modules(std::string_view digits, const Layout& layout = {}) {
    std::vector<double> modules{layout.leadingQuiet, 1, 1, 1, 1};
    for (std::size_t p = 0; p + 1 < digits.size(); p += 2) {
        std::array<bool, 5> bars = DigitElements(digits[p] - '0');
        std::array<bool, 5> spaces = DigitElements(digits[p + 1] - '0');
        for (int i = 0; i < 5; ++i) {
            modules.push_back(bars[i] ? layout.wide : 1.0);
            modules.push_back(spaces[i] ? layout.wide : 1.0);
        }
    }
    for (double m : {layout.stopWide > 0 ? layout.stopWide : layout.wide, 1.0, 1.0})
        modules.push_back(m);
    if (layout.trailingQuiet > 0) modules.push_back(layout.trailingQuiet);
    return modules;
}

std::optional<std::string> Decode(const std::vector<double>& widths) {
    return DecodeText(DecodeBarsInt2of5, kSymbologyInt2of5, widths);
}

std::optional<std::string> DecodeModules(const std::vector<double>& modules,
                                         double samplesPerModule = 4.0) {
    return Decode(Scaled(modules, samplesPerModule));
}

TEST(Int2of5, OnePairAndEveryPairRoundTrip) {
    for (int pair = 0; pair < 100; ++pair) {
        std::string digits{char('0' + pair / 10), char('0' + pair % 10)};
        SCOPED_TRACE(digits);
        EXPECT_EQ(DecodeModules(Modules(digits)), digits);
    }
    EXPECT_EQ(DecodeModules(Modules("0123456789")), "0123456789");
    EXPECT_EQ(DecodeModules(Modules("9876543210", {.wide = 1.5})), "9876543210");
    EXPECT_EQ(DecodeModules(Modules("9876543210", {.wide = 4.0})), "9876543210");
    EXPECT_EQ(DecodeModules(Modules("9876543210", {.wide = 4.25})), std::nullopt);
    EXPECT_EQ(DecodeModules(Modules("9876543210", {.wide = 1.45})), std::nullopt);

    // Bars and spaces are judged only against their own kind: spaces printed
    // 1.6 times as wide as the bars still read narrow and wide correctly.
    std::vector<double> wideSpaces = Modules("9876543210");
    for (std::size_t i = 6; i + 4 < wideSpaces.size(); i += 2) wideSpaces[i] *= 1.6; // pairs only
    EXPECT_EQ(DecodeModules(wideSpaces), "9876543210");
}

TEST(Int2of5, QuietZonesAtTheirLimits) {
    // Trailing: strictly more than six times the stop's last bar...
    auto thinStopBar = [](double quiet) {
        std::vector<double> modules = Modules("1234", {.trailingQuiet = quiet});
        modules[modules.size() - 2] = 1.5;
        return modules;
    };
    EXPECT_EQ(DecodeModules(thinStopBar(9.0)), std::nullopt);
    EXPECT_EQ(DecodeModules(thinStopBar(9.25)), "1234");
    // ...and both quiet zones at least 9 narrow modules, measured over the
    // start's four narrow elements.
    EXPECT_EQ(DecodeModules(Modules("1234", {.trailingQuiet = 8.75})), std::nullopt);
    EXPECT_EQ(DecodeModules(Modules("1234", {.leadingQuiet = 9.0})), "1234");
    EXPECT_EQ(DecodeModules(Modules("1234", {.leadingQuiet = 8.75})), std::nullopt);
    // A symbol whose trailing quiet zone would lie beyond the table, even
    // when an older, longer table left one there.
    EXPECT_EQ(DecodeModules(Modules("1234", {.trailingQuiet = 0})), std::nullopt);
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(Modules("1234"), 4.0));
    LoadRuns(*laser, Scaled(Modules("1234", {.trailingQuiet = 0}), 4.0));
    EXPECT_FALSE(DecodeBarsInt2of5(laser.get()));
}

TEST(Int2of5, StartAndStopShapes) {
    // The stop's wide bar up to four times its last bar, not beyond.
    EXPECT_EQ(DecodeModules(Modules("5678", {.stopWide = 4.0})), "5678");
    EXPECT_EQ(DecodeModules(Modules("5678", {.stopWide = 4.25})), std::nullopt);
    EXPECT_EQ(DecodeModules(Modules("5678", {.stopWide = 1.25})), std::nullopt);

    // The start's two bars and two spaces must be alike within 0.75.
    std::vector<double> modules = Modules("5678");
    modules[3] = 1.25;
    EXPECT_EQ(DecodeModules(modules), "5678");
    modules[3] = 1.5;
    EXPECT_EQ(DecodeModules(modules), std::nullopt);
    modules = Modules("5678");
    modules[4] = 1.5;
    EXPECT_EQ(DecodeModules(modules), std::nullopt);
}

TEST(Int2of5, PairsWithOddWideCountsAreRejected) {
    // "38": bars at runs 5, 7, 9, 11, 13 (3 = w w n n n), spaces at 6 to 14
    // (8 = w n n w n).
    const std::vector<double> clean = Modules("38");
    EXPECT_EQ(DecodeModules(clean), "38");
    std::vector<double> three = clean;
    three[5] = 1.0; // one wide bar narrowed: three wide elements
    EXPECT_EQ(DecodeModules(three), std::nullopt);
    std::vector<double> five = clean;
    five[8] = 2.5; // one narrow space widened: five wide elements
    EXPECT_EQ(DecodeModules(five), std::nullopt);
}

TEST(Int2of5, RandomRoundTrip) {
    const unsigned seed = TestSeed(20240611u);
    SCOPED_TRACE("seed " + std::to_string(seed) + " (set KESTRIX_TEST_SEED to replay)");
    std::mt19937 rng(seed);
    auto uniform = [&rng](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    for (int trial = 0; trial < 500; ++trial) {
        std::string digits;
        for (int n = 2 * uniform(1, 15); n > 0; --n) digits += char('0' + uniform(0, 9));
        Layout layout{.wide = std::uniform_real_distribution<double>(2.3, 3.0)(rng)};

        // Junk before the symbol (ending on a bar) and after it (starting on one).
        std::vector<double> modules;
        for (int n = 2 * uniform(0, 4); n > 0; --n) modules.push_back(uniform(1, 3));
        for (double m : Modules(digits, layout)) modules.push_back(m);
        for (int n = uniform(0, 6); n > 0; --n) modules.push_back(uniform(1, 3));

        double samplesPerModule = std::uniform_real_distribution<double>(2.0, 6.0)(rng);
        std::vector<double> widths = Jittered(modules, samplesPerModule, 0.06, rng);
        SCOPED_TRACE("trial " + std::to_string(trial) + ": " + digits);
        EXPECT_EQ(Decode(widths), digits);
    }
}

} // namespace
