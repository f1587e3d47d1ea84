// Codabar: libzint-drawn frames of each start letter with each stop letter
// at ratios 2.5 and 3, damaged symbols, random run tables, and run tables at
// the limits of the quiet zones, the letters' framing and the wide-element
// tolerance.
#include "tests/support/image_case.h"
#include "tests/support/runs.h"

#include "engine/symbology.h"
#include "symbologies/decoders.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kData = "0123456789-$:/.+";
constexpr const char* kLetters = "ABCD";

// Run widths in narrow elements: 0 the leading quiet zone, 1-7 the start
// letter, 8 a gap, 9-15 the first data character, and so on.
std::vector<double> Runs(const std::string& data, double leadingQuiet = 10,
                         double trailingQuiet = 10, double wide = 2.5) {
    return ZintRuns(BARCODE_CODABAR, data, leadingQuiet, trailingQuiet, {wide, 0, 0});
}

std::optional<std::string> Read(const std::vector<double>& modules, double samples = 3) {
    return DecodeModules(DecodeBarsCodabar, kSymbologyCodabar, modules, samples);
}

template <typename Change>
std::vector<double> Changed(std::vector<double> runs, Change change) {
    change(runs);
    return runs;
}

} // namespace

TEST(Codabar, ImagesDelivered) {
    std::vector<SymbolRow> rows;
    TestRandom random(39);
    for (double ratio : {2.5, 3.0}) {
        for (int start = 0; start < 4; ++start) {
            for (int stop = 0; stop < 4; ++stop) {
                std::string data =
                    kLetters[start] + RandomText(random, kData, random.Int(1, 8)) + kLetters[stop];
                rows.push_back({data, data, ratio});
            }
        }
    }
    ExpectRowsDelivered("Codabar", BARCODE_CODABAR, kSymbologyCodabar, rows, 2);
}

TEST(Codabar, DamagedImagesNeverDelivered) {
    ExpectDamageNeverDelivered({"Codabar", BARCODE_CODABAR, 3.0,
                                [](TestRandom& r) {
                                    std::string data(1, kLetters[r.Int(0, 3)]);
                                    data += RandomText(r, kData, 6);
                                    return data + kLetters[r.Int(0, 3)];
                                },
                                [](TestRandom& r, const BarPattern& pattern) {
                                    return SmudgeRuns(pattern, 8 * r.Int(1, 6), 7);
                                }});
}

TEST(Codabar, RandomRunTables) {
    ExpectRoundTrips({BARCODE_CODABAR, DecodeBarsCodabar, kSymbologyCodabar,
                      [](std::mt19937& rng) {
                          std::string text(1, kLetters[rng() % 4]);
                          for (int n = 1 + int(rng() % 20); n > 0; --n) text += kData[rng() % 16];
                          text += kLetters[rng() % 4];
                          return std::pair{text, text};
                      },
                      2.3, 3.0});
}

TEST(Codabar, QuietZonesAtTheirLimits) {
    // Both are measured against a narrow bar: the start letter's first bar
    // and the stop letter's first bar, not its last.
    EXPECT_EQ(Read(Runs("A9D", 6, 6), 4), "A9D");
    EXPECT_EQ(Read(Runs("A9D", 5.75), 4), std::nullopt);
    EXPECT_EQ(Read(Runs("A9D", 10, 5.75), 4), std::nullopt);
    auto stop = Runs("A9D", 10, 6);
    EXPECT_EQ(Read(Changed(stop, [](auto& r) { r[r.size() - 2] = 1.25; }), 4), "A9D");
    EXPECT_EQ(Read(Changed(stop, [](auto& r) { r[r.size() - 8] = 1.25; }), 4), std::nullopt);

    // The stop's final bar as the last run of the table: no quiet zone
    // follows, even when an older, longer table left one beyond its end.
    EXPECT_EQ(Read(Runs("A9D", 10, 0)), std::nullopt);
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(Runs("A9D"), 3));
    LoadRuns(*laser, Scaled(Runs("A9D", 10, 0), 3));
    EXPECT_FALSE(DecodeBarsCodabar(laser.get()));
}

TEST(Codabar, LettersFrameTheData) {
    const auto a1b = Runs("A1B");
    EXPECT_EQ(Read(a1b), "A1B");
    // A letter as the second character ends the symbol with no data: "AB".
    EXPECT_EQ(Read(Changed(a1b, [](auto& r) { r.erase(r.begin() + 9, r.begin() + 17); })),
              std::nullopt);
    // The first character must be a letter: "1B".
    EXPECT_EQ(Read(Changed(a1b, [](auto& r) { r.erase(r.begin() + 1, r.begin() + 9); })),
              std::nullopt);

    // A letter after the start always ends the symbol, and its quiet zone
    // must follow: "A12B34C" is no symbol, "A12B" and "34C" after a quiet
    // zone is.
    auto tail = Runs("A34C");
    tail.erase(tail.begin(), tail.begin() + 9);
    for (double gap : {1.0, 10.0}) {
        auto modules = Runs("A12B", 10, 0);
        modules.push_back(gap);
        modules.insert(modules.end(), tail.begin(), tail.end());
        EXPECT_EQ(Read(modules), gap > 1 ? std::optional<std::string>("A12B") : std::nullopt);
    }
}

TEST(Codabar, WideElementTolerance) {
    EXPECT_EQ(Read(Runs("B:/.+-$C", 10, 10, 5.0), 4), "B:/.+-$C");
    EXPECT_EQ(Read(Runs("B:/.+-$C", 10, 10, 1.5), 4), "B:/.+-$C");
    EXPECT_EQ(Read(Runs("B:/.+-$C", 10, 10, 5.25), 4), std::nullopt);
    EXPECT_EQ(Read(Runs("B:/.+-$C", 10, 10, 1.45), 4), std::nullopt);

    // ":", "/", "." and "+" have no wide space: their spaces are compared
    // only with each other, so spaces 1.6 to 2.2 times as wide as the narrow
    // bars and less than 1.5 times each other all count as narrow.
    EXPECT_EQ(Read(Changed(Runs("A:/.+A"),
                           [](auto& r) {
                               for (std::size_t i = 10; i < 42; i += 2)
                                   r[i] = i % 4 == 0 ? 1.6 : 2.2;
                           })),
              "A:/.+A");
    // Likewise spaces printed 1.6 times as wide as the bars throughout.
    EXPECT_EQ(Read(Changed(Runs("B0123456789-$C"),
                           [](auto& r) {
                               for (std::size_t i = 2; i + 1 < r.size(); i += 2) r[i] *= 1.6;
                           })),
              "B0123456789-$C");
}
