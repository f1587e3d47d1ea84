// Code 39 decoder tests on hand-built run tables. Symbols are built here
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
    std::string_view elements; // bar, space, ..., bar: n narrow, w wide
};

// The standard's 44 characters, the space included as ' '.
constexpr Character kCharacters[] = {
    {'0', "nnnwwnwnn"}, {'1', "wnnwnnnnw"}, {'2', "nnwwnnnnw"}, {'3', "wnwwnnnnn"},
    {'4', "nnnwwnnnw"}, {'5', "wnnwwnnnn"}, {'6', "nnwwwnnnn"}, {'7', "nnnwnnwnw"},
    {'8', "wnnwnnwnn"}, {'9', "nnwwnnwnn"}, {'A', "wnnnnwnnw"}, {'B', "nnwnnwnnw"},
    {'C', "wnwnnwnnn"}, {'D', "nnnnwwnnw"}, {'E', "wnnnwwnnn"}, {'F', "nnwnwwnnn"},
    {'G', "nnnnnwwnw"}, {'H', "wnnnnwwnn"}, {'I', "nnwnnwwnn"}, {'J', "nnnnwwwnn"},
    {'K', "wnnnnnnww"}, {'L', "nnwnnnnww"}, {'M', "wnwnnnnwn"}, {'N', "nnnnwnnww"},
    {'O', "wnnnwnnwn"}, {'P', "nnwnwnnwn"}, {'Q', "nnnnnnwww"}, {'R', "wnnnnnwwn"},
    {'S', "nnwnnnwwn"}, {'T', "nnnnwnwwn"}, {'U', "wwnnnnnnw"}, {'V', "nwwnnnnnw"},
    {'W', "wwwnnnnnn"}, {'X', "nwnnwnnnw"}, {'Y', "wwnnwnnnn"}, {'Z', "nwwnwnnnn"},
    {'-', "nwnnnnwnw"}, {'.', "wwnnnnwnn"}, {' ', "nwwnnnwnn"}, {'$', "nwnwnwnnn"},
    {'/', "nwnwnnnwn"}, {'+', "nwnnnwnwn"}, {'%', "nnnwnwnwn"}, {'*', "nwnnwnwnn"},
};

constexpr double kQuiet = 10.0; // narrow elements

std::string_view ElementsOf(char c) {
    for (const Character& entry : kCharacters)
        if (entry.character == c) return entry.elements;
    ADD_FAILURE() << "no character " << c;
    return "nnnnnnnnn";
}

struct Layout {
    double wide = 3.0;            // wide element, in narrow elements
    double leadingQuiet = kQuiet; // 0 leaves the run out
    double trailingQuiet = kQuiet;
};

// Widths in narrow elements of the characters as given (include the "*"s),
// one narrow gap between characters.
std::vector<double> Modules(std::string_view characters, const Layout& layout = {}) {
    std::vector<double> modules;
    if (layout.leadingQuiet > 0) modules.push_back(layout.leadingQuiet);
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if (i > 0) modules.push_back(1.0);
        for (char e : ElementsOf(characters[i])) modules.push_back(e == 'w' ? layout.wide : 1.0);
    }
    if (layout.trailingQuiet > 0) modules.push_back(layout.trailingQuiet);
    return modules;
}

std::optional<std::string> Decode(const std::vector<double>& widths) {
    return DecodeText(DecodeBarsCode39, kSymbologyCode39, widths);
}

std::optional<std::string> DecodeModules(const std::vector<double>& modules,
                                         double samplesPerModule = 3.0) {
    return Decode(Scaled(modules, samplesPerModule));
}

// What a text reads as: the space comes back as "_".
std::string AsRead(std::string text) {
    for (char& c : text)
        if (c == ' ') c = '_';
    return text;
}

TEST(Code39, EveryTableCharacterRoundTrips) {
    std::string all;
    for (const Character& entry : kCharacters) {
        if (entry.character == '*') continue;
        std::string one(1, entry.character);
        SCOPED_TRACE("character '" + one + "'");
        EXPECT_EQ(DecodeModules(Modules("*" + one + "*")), AsRead(one));
        EXPECT_EQ(DecodeModules(Modules("*" + one + "*", {.wide = 2.0})), AsRead(one));
        all += entry.character;
    }
    EXPECT_EQ(DecodeModules(Modules("*" + all + "*")), AsRead(all));
}

TEST(Code39, QuietZonesAtTheirLimits) {
    // Both quiet zones are measured against a narrow bar: the first bar of
    // the start and the first bar of the stop.
    EXPECT_EQ(DecodeModules(Modules("*K9*", {.leadingQuiet = 6.0, .trailingQuiet = 6.0}), 4.0),
              "K9");
    EXPECT_EQ(DecodeModules(Modules("*K9*", {.leadingQuiet = 5.75}), 4.0), std::nullopt);
    EXPECT_EQ(DecodeModules(Modules("*K9*", {.trailingQuiet = 5.75}), 4.0), std::nullopt);

    // Against the stop's first bar, not its last.
    std::vector<double> modules = Modules("*K9*", {.trailingQuiet = 6.0});
    modules[modules.size() - 2] = 1.25;
    EXPECT_EQ(DecodeModules(modules, 4.0), "K9");
    modules = Modules("*K9*", {.trailingQuiet = 6.0});
    modules[modules.size() - 10] = 1.25;
    EXPECT_EQ(DecodeModules(modules, 4.0), std::nullopt);

    // The stop's final bar as the last run of the table: no quiet zone
    // follows, even when an older, longer table left one beyond its end.
    EXPECT_EQ(DecodeModules(Modules("*K9*", {.trailingQuiet = 0})), std::nullopt);
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(Modules("*K9*"), 3.0));
    LoadRuns(*laser, Scaled(Modules("*K9*", {.trailingQuiet = 0}), 3.0));
    EXPECT_FALSE(DecodeBarsCode39(laser.get()));
    // The leading quiet zone as the first run and the trailing one as the last.
    EXPECT_EQ(DecodeModules(Modules("*K9*")), "K9");
}

TEST(Code39, StartAndStopFraming) {
    EXPECT_EQ(DecodeModules(Modules("**")), std::nullopt);
    EXPECT_EQ(DecodeModules(Modules("*A*")), "A");
    // No start: the first character must be "*".
    EXPECT_EQ(DecodeModules(Modules("A*")), std::nullopt);

    // A "*" after the start ends the symbol there, and its quiet zone must follow.
    EXPECT_EQ(DecodeModules(Modules("*AB*CD*")), std::nullopt);
    std::vector<double> modules = Modules("*AB*", {.trailingQuiet = 0});
    modules.push_back(kQuiet);
    for (double m : Modules("CD*", {.leadingQuiet = 0})) modules.push_back(m);
    EXPECT_EQ(DecodeModules(modules), "AB");

    // A check character the symbol carries stays in the text.
    EXPECT_EQ(DecodeModules(Modules("*KESTRIX0*")), "KESTRIX0");
}

TEST(Code39, WideElementTolerance) {
    EXPECT_EQ(DecodeModules(Modules("*WIDE-39*", {.wide = 4.0}), 4.0), "WIDE-39");
    EXPECT_EQ(DecodeModules(Modules("*WIDE-39*", {.wide = 1.5}), 4.0), "WIDE-39");
    EXPECT_EQ(DecodeModules(Modules("*WIDE-39*", {.wide = 4.25}), 4.0), std::nullopt);
    EXPECT_EQ(DecodeModules(Modules("*WIDE-39*", {.wide = 1.45}), 4.0), std::nullopt);

    // Bars and spaces are judged only against their own kind: spaces printed
    // 1.6 times as wide as the bars still read narrow and wide correctly.
    std::vector<double> wideSpaces = Modules("*WIDE-39*");
    for (std::size_t i = 2; i + 1 < wideSpaces.size(); i += 2) wideSpaces[i] *= 1.6;
    EXPECT_EQ(DecodeModules(wideSpaces), "WIDE-39");

    // The "A" has one wide space: at 4.5 narrow it counts as narrow and the
    // character matches nothing.
    std::vector<double> modules = Modules("*A*"); // "A" is runs 11 to 19, its wide space 16
    modules[16] = 4.5;
    EXPECT_EQ(DecodeModules(modules), std::nullopt);

    // "$", "/", "+" and "%" have no wide bar: bars that differ by less than
    // 1.5 times all count as narrow.
    modules = Modules("*$/+%*");
    for (std::size_t i = 11; i < 11 + 4 * 10; i += 2) modules[i] = i % 4 == 1 ? 1.0 : 1.45;
    EXPECT_EQ(DecodeModules(modules), "$/+%");

    // A blot merged into the last bar of "/" (whose bars are all narrow) is
    // far beyond any wide bar: the character fails rather than reading as
    // "/" and dropping the characters under the blot.
    modules = Modules("*K/Q*"); // "/" is runs 21 to 29
    modules[29] = 9.0;
    EXPECT_EQ(DecodeModules(modules), std::nullopt);
}

TEST(Code39, RandomRoundTrip) {
    const unsigned seed = TestSeed(20240611u);
    SCOPED_TRACE("seed " + std::to_string(seed) + " (set KESTRIX_TEST_SEED to replay)");
    std::mt19937 rng(seed);
    auto uniform = [&rng](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    for (int trial = 0; trial < 500; ++trial) {
        std::string text;
        for (int n = uniform(1, 20); n > 0; --n) text += kCharacters[uniform(0, 42)].character;
        Layout layout{.wide = std::uniform_real_distribution<double>(2.3, 3.0)(rng)};

        // Junk before the symbol (ending on a bar) and after it (starting on one).
        std::vector<double> modules;
        for (int n = 2 * uniform(0, 4); n > 0; --n) modules.push_back(uniform(1, 3));
        for (double m : Modules("*" + text + "*", layout)) modules.push_back(m);
        for (int n = uniform(0, 6); n > 0; --n) modules.push_back(uniform(1, 3));

        double samplesPerModule = std::uniform_real_distribution<double>(2.0, 6.0)(rng);
        std::vector<double> widths = Jittered(modules, samplesPerModule, 0.06, rng);
        SCOPED_TRACE("trial " + std::to_string(trial) + ": \"" + text + "\"");
        EXPECT_EQ(Decode(widths), AsRead(text));
    }
}

} // namespace
