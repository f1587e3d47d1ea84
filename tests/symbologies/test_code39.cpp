// Code 39: libzint-drawn frames of every character at ratios 2.5 and 3,
// damaged symbols, random run tables, and run tables at the limits of the
// quiet zones, the start and stop framing and the wide-element tolerance.
#include "tests/support/image_case.h"
#include "tests/support/runs.h"

#include "engine/symbology.h"
#include "symbologies/decoders.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kTable = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// What a text reads as: the space comes back as "_".
std::string AsRead(std::string text) {
    for (char& c : text)
        if (c == ' ') c = '_';
    return text;
}

// Run widths in narrow elements: 0 the leading quiet zone, 1-9 the start,
// 10 a gap, 11-19 the first character, and so on.
std::vector<double> Runs(const std::string& data, double leadingQuiet = 10,
                         double trailingQuiet = 10, double wide = 3) {
    return ZintRuns(BARCODE_CODE39, data, leadingQuiet, trailingQuiet, {wide, 0, 0});
}

std::optional<std::string> Read(const std::vector<double>& modules, double samples = 3) {
    return DecodeModules(DecodeBarsCode39, kSymbologyCode39, modules, samples);
}

template <typename Change>
std::vector<double> Changed(std::vector<double> runs, Change change) {
    change(runs);
    return runs;
}

} // namespace

TEST(Code39, ImagesDelivered) {
    std::vector<SymbolRow> rows;
    for (double ratio : {2.5, 3.0}) {
        for (std::size_t i = 0; i < 43; i += 5) {
            std::string data = std::string(kTable).substr(i, 5);
            rows.push_back({data, AsRead(data), ratio});
        }
        rows.push_back({"K", "K", ratio});
    }
    ExpectRowsDelivered("Code39", BARCODE_CODE39, kSymbologyCode39, rows, 3);
}

TEST(Code39, DamagedImagesNeverDelivered) {
    ExpectDamageNeverDelivered({"Code39", BARCODE_CODE39, 3.0,
                                [](TestRandom& r) { return RandomText(r, kTable, 6); },
                                [](TestRandom& r, const BarPattern& pattern) {
                                    return SmudgeRuns(pattern, 10 * r.Int(1, 6), 9);
                                },
                                AsRead});
}

TEST(Code39, RandomRunTables) {
    ExpectRoundTrips({BARCODE_CODE39, DecodeBarsCode39, kSymbologyCode39,
                      [](std::mt19937& rng) {
                          std::string text;
                          for (int n = 1 + int(rng() % 20); n > 0; --n) text += kTable[rng() % 43];
                          return std::pair{text, AsRead(text)};
                      },
                      2.3, 3.0});
}

TEST(Code39, QuietZonesAtTheirLimits) {
    // Both are measured against a narrow bar: the start's first bar and the
    // stop's first bar, not its last.
    EXPECT_EQ(Read(Runs("K9", 6, 6), 4), "K9");
    EXPECT_EQ(Read(Runs("K9", 5.75), 4), std::nullopt);
    EXPECT_EQ(Read(Runs("K9", 10, 5.75), 4), std::nullopt);
    auto stop = Runs("K9", 10, 6);
    EXPECT_EQ(Read(Changed(stop, [](auto& r) { r[r.size() - 2] = 1.25; }), 4), "K9");
    EXPECT_EQ(Read(Changed(stop, [](auto& r) { r[r.size() - 10] = 1.25; }), 4), std::nullopt);

    // The stop's final bar as the last run of the table: no quiet zone
    // follows, even when an older, longer table left one beyond its end.
    EXPECT_EQ(Read(Runs("K9", 10, 0)), std::nullopt);
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(Runs("K9"), 3));
    LoadRuns(*laser, Scaled(Runs("K9", 10, 0), 3));
    EXPECT_FALSE(DecodeBarsCode39(laser.get()));
}

TEST(Code39, StartAndStopFraming) {
    const auto a = Runs("A");
    EXPECT_EQ(Read(a), "A");
    // No data: "**".
    EXPECT_EQ(Read(Changed(a, [](auto& r) { r.erase(r.begin() + 11, r.begin() + 21); })),
              std::nullopt);
    // No start: "A*".
    EXPECT_EQ(Read(Changed(a, [](auto& r) { r.erase(r.begin() + 1, r.begin() + 11); })),
              std::nullopt);

    // A "*" after the start ends the symbol there, and its quiet zone must
    // follow: "*AB*CD*" is no symbol, "*AB*" and "CD*" after a quiet zone is.
    auto cd = Runs("CD");
    cd.erase(cd.begin(), cd.begin() + 11);
    for (double gap : {1.0, 10.0}) {
        auto modules = Runs("AB", 10, 0);
        modules.push_back(gap);
        modules.insert(modules.end(), cd.begin(), cd.end());
        EXPECT_EQ(Read(modules), gap > 1 ? std::optional<std::string>("AB") : std::nullopt);
    }
}

TEST(Code39, WideElementTolerance) {
    EXPECT_EQ(Read(Runs("WIDE-39", 10, 10, 4.0), 4), "WIDE-39");
    EXPECT_EQ(Read(Runs("WIDE-39", 10, 10, 1.5), 4), "WIDE-39");
    EXPECT_EQ(Read(Runs("WIDE-39", 10, 10, 4.25), 4), std::nullopt);
    EXPECT_EQ(Read(Runs("WIDE-39", 10, 10, 1.45), 4), std::nullopt);

    // Bars and spaces are judged only against their own kind: spaces printed
    // 1.6 times as wide as the bars still read narrow and wide correctly.
    EXPECT_EQ(Read(Changed(Runs("WIDE-39"),
                           [](auto& r) {
                               for (std::size_t i = 2; i + 1 < r.size(); i += 2) r[i] *= 1.6;
                           })),
              "WIDE-39");
    // The "A" has one wide space (run 16): at 4.5 narrow it counts as narrow
    // and the character matches nothing.
    EXPECT_EQ(Read(Changed(Runs("A"), [](auto& r) { r[16] = 4.5; })), std::nullopt);
    // "$", "/", "+" and "%" have no wide bar: bars that differ by less than
    // 1.5 times all count as narrow.
    EXPECT_EQ(Read(Changed(Runs("$/+%"),
                           [](auto& r) {
                               for (std::size_t i = 11; i < 51; i += 2)
                                   r[i] = i % 4 == 1 ? 1.0 : 1.45;
                           })),
              "$/+%");
    // A blot merged into the last bar of "/" (runs 21 to 29, all its bars
    // narrow) is far beyond any wide bar: the character fails rather than
    // reading as "/" and dropping the characters under the blot.
    EXPECT_EQ(Read(Changed(Runs("K/Q"), [](auto& r) { r[29] = 9.0; })), std::nullopt);
}
