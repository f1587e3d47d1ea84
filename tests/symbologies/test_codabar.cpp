// Codabar decoder tests on hand-built run tables. Symbols are built here
// from the standard's wide/narrow element patterns, so the decoder is
// checked against the standard rather than against its own table.
#include "engine/laser.h"
#include "engine/symbology.h"
#include "symbologies/decoders.h"
#include "tests/symbologies/run_tables.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Character {
    char character;
    std::string_view elements; // bar, space, bar, space, bar, space, bar: 0 narrow, 1 wide
};

// The standard's 16 data characters, then the start/stop letters.
constexpr Character kCharacters[] = {
    {'0', "0000011"}, {'1', "0000110"}, {'2', "0001001"}, {'3', "1100000"}, {'4', "0010010"},
    {'5', "1000010"}, {'6', "0100001"}, {'7', "0100100"}, {'8', "0110000"}, {'9', "1001000"},
    {'-', "0001100"}, {'$', "0011000"}, {':', "1000101"}, {'/', "1010001"}, {'.', "1010100"},
    {'+', "0010101"}, {'A', "0011010"}, {'B', "0101001"}, {'C', "0001011"}, {'D', "0001110"},
};
constexpr int kDataCharacters = 16;

constexpr double kQuiet = 10.0; // narrow elements

std::string_view ElementsOf(char c) {
    for (const Character& entry : kCharacters)
        if (entry.character == c) return entry.elements;
    ADD_FAILURE() << "no character " << c;
    return "0000000";
}

struct Layout {
    double wide = 2.5;            // wide element, in narrow elements
    double leadingQuiet = kQuiet; // 0 leaves the run out
    double trailingQuiet = kQuiet;
};

// Widths in narrow elements of the characters as given, start and stop
// letters included, one narrow gap between characters.
std::vector<double> Modules(std::string_view characters, const Layout& layout = {}) {
    std::vector<double> modules;
    if (layout.leadingQuiet > 0) modules.push_back(layout.leadingQuiet);
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if (i > 0) modules.push_back(1.0);
        for (char e : ElementsOf(characters[i])) modules.push_back(e == '1' ? layout.wide : 1.0);
    }
    if (layout.trailingQuiet > 0) modules.push_back(layout.trailingQuiet);
    return modules;
}

std::optional<std::string> Decode(const std::vector<double>& widths) {
    return DecodeText(DecodeBarsCodabar, kSymbologyCodabar, widths);
}

std::optional<std::string> DecodeModules(const std::vector<double>& modules,
                                         double samplesPerModule = 3.0) {
    return Decode(Scaled(modules, samplesPerModule));
}

TEST(Codabar, StartAndStopLettersStayInTheText) {
    EXPECT_EQ(DecodeModules(Modules("A1234B")), "A1234B");
    for (char start : std::string_view("ABCD")) {
        for (char stop : std::string_view("ABCD")) {
            std::string symbol = std::string(1, start) + "40" + stop;
            SCOPED_TRACE(symbol);
            EXPECT_EQ(DecodeModules(Modules(symbol)), symbol);
        }
    }

    // A letter as the second character ends the symbol with no data.
    EXPECT_EQ(DecodeModules(Modules("AB")), std::nullopt);
    EXPECT_EQ(DecodeModules(Modules("AB12C")), std::nullopt);
    // The first character must be a letter.
    EXPECT_EQ(DecodeModules(Modules("12C")), std::nullopt);

    // A letter after the start always ends the symbol: its quiet zone must follow.
    EXPECT_EQ(DecodeModules(Modules("A12B34C")), std::nullopt);
    std::vector<double> modules = Modules("A12B", {.trailingQuiet = 0});
    modules.push_back(kQuiet);
    for (double m : Modules("34C", {.leadingQuiet = 0})) modules.push_back(m);
    EXPECT_EQ(DecodeModules(modules), "A12B");
}

TEST(Codabar, EveryCharacterRoundTrips) {
    std::string all;
    for (int i = 0; i < kDataCharacters; ++i) {
        std::string symbol = std::string("C") + kCharacters[i].character + "D";
        SCOPED_TRACE(symbol);
        EXPECT_EQ(DecodeModules(Modules(symbol)), symbol);
        all += kCharacters[i].character;
    }
    EXPECT_EQ(DecodeModules(Modules("A" + all + "A")), "A" + all + "A");
}

TEST(Codabar, QuietZonesAtTheirLimits) {
    // Both quiet zones are measured against a narrow bar: the first bar of
    // the start letter and the first bar of the stop letter.
    EXPECT_EQ(DecodeModules(Modules("A9D", {.leadingQuiet = 6.0, .trailingQuiet = 6.0}), 4.0),
              "A9D");
    EXPECT_EQ(DecodeModules(Modules("A9D", {.leadingQuiet = 5.75}), 4.0), std::nullopt);
    EXPECT_EQ(DecodeModules(Modules("A9D", {.trailingQuiet = 5.75}), 4.0), std::nullopt);

    // Against the stop's first bar, not its last.
    std::vector<double> modules = Modules("A9D", {.trailingQuiet = 6.0});
    modules[modules.size() - 2] = 1.25;
    EXPECT_EQ(DecodeModules(modules, 4.0), "A9D");
    modules = Modules("A9D", {.trailingQuiet = 6.0});
    modules[modules.size() - 8] = 1.25;
    EXPECT_EQ(DecodeModules(modules, 4.0), std::nullopt);

    // The stop's final bar as the last run of the table: no quiet zone
    // follows, even when an older, longer table left one beyond its end.
    EXPECT_EQ(DecodeModules(Modules("A9D", {.trailingQuiet = 0})), std::nullopt);
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(Modules("A9D"), 3.0));
    LoadRuns(*laser, Scaled(Modules("A9D", {.trailingQuiet = 0}), 3.0));
    EXPECT_FALSE(DecodeBarsCodabar(laser.get()));
}

TEST(Codabar, WideElementTolerance) {
    EXPECT_EQ(DecodeModules(Modules("B:/.+-$C", {.wide = 5.0}), 4.0), "B:/.+-$C");
    EXPECT_EQ(DecodeModules(Modules("B:/.+-$C", {.wide = 1.5}), 4.0), "B:/.+-$C");
    EXPECT_EQ(DecodeModules(Modules("B:/.+-$C", {.wide = 5.25}), 4.0), std::nullopt);
    EXPECT_EQ(DecodeModules(Modules("B:/.+-$C", {.wide = 1.45}), 4.0), std::nullopt);

    // ":", "/", "." and "+" have no wide space: their spaces are compared
    // only with each other, so spaces 1.6 to 2.2 times as wide as the narrow
    // bars and less than 1.5 times each other all count as narrow.
    std::vector<double> modules = Modules("A:/.+A");
    for (std::size_t i = 10; i < 10 + 4 * 8; i += 2) modules[i] = i % 4 == 0 ? 1.6 : 2.2;
    EXPECT_EQ(DecodeModules(modules), "A:/.+A");

    // Likewise spaces printed 1.6 times as wide as the bars throughout.
    std::vector<double> wideSpaces = Modules("B0123456789-$C");
    for (std::size_t i = 2; i + 1 < wideSpaces.size(); i += 2) wideSpaces[i] *= 1.6;
    EXPECT_EQ(DecodeModules(wideSpaces), "B0123456789-$C");
}

TEST(Codabar, RandomRoundTrip) {
    const unsigned seed = TestSeed(20240611u);
    SCOPED_TRACE("seed " + std::to_string(seed) + " (set KESTRIX_TEST_SEED to replay)");
    std::mt19937 rng(seed);
    auto uniform = [&rng](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    for (int trial = 0; trial < 500; ++trial) {
        std::string text(1, char('A' + uniform(0, 3)));
        for (int n = uniform(1, 20); n > 0; --n)
            text += kCharacters[uniform(0, kDataCharacters - 1)].character;
        text += char('A' + uniform(0, 3));
        Layout layout{.wide = std::uniform_real_distribution<double>(2.3, 3.0)(rng)};

        // Junk before the symbol (ending on a bar) and after it (starting on one).
        std::vector<double> modules;
        for (int n = 2 * uniform(0, 4); n > 0; --n) modules.push_back(uniform(1, 3));
        for (double m : Modules(text, layout)) modules.push_back(m);
        for (int n = uniform(0, 6); n > 0; --n) modules.push_back(uniform(1, 3));

        double samplesPerModule = std::uniform_real_distribution<double>(2.0, 6.0)(rng);
        std::vector<double> widths = Jittered(modules, samplesPerModule, 0.06, rng);
        SCOPED_TRACE("trial " + std::to_string(trial) + ": \"" + text + "\"");
        EXPECT_EQ(Decode(widths), text);
    }
}

} // namespace
