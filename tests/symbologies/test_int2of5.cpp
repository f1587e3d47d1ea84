// Interleaved 2 of 5: libzint-drawn frames of 2 to 20 digits at ratios 2.5
// and 3, damaged symbols, random run tables, and run tables at the limits of
// the quiet zones, the start and stop shapes and the wide-element rules.
#include "tests/support/image_case.h"
#include "tests/support/runs.h"

#include "engine/symbology.h"
#include "symbologies/decoders.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kDigits = "0123456789";

// Run widths in narrow elements: 0 the leading quiet zone, 1-4 the start,
// 5-14 the first pair of digits (bars the first digit, spaces the second),
// ..., then the stop's wide bar, space and bar, and the trailing quiet zone.
std::vector<double> Runs(const std::string& digits, double leadingQuiet = 10,
                         double trailingQuiet = 10, double wide = 2.5) {
    return ZintRuns(BARCODE_C25INTER, digits, leadingQuiet, trailingQuiet, {wide, 0, 0});
}

std::optional<std::string> Read(const std::vector<double>& modules) {
    return DecodeModules(DecodeBarsInt2of5, kSymbologyInt2of5, modules, 4);
}

template <typename Change>
std::vector<double> Changed(std::vector<double> runs, Change change) {
    change(runs);
    return runs;
}

} // namespace

TEST(Int2of5, ImagesDelivered) {
    std::vector<SymbolRow> rows;
    TestRandom random(25);
    for (double ratio : {2.5, 3.0}) {
        for (int digits = 2; digits <= 20; ++digits) {
            if (digits % 2 == 1 && digits % 4 != 3) continue; // odd counts: 3, 7, 11, 15, 19
            std::string data = RandomText(random, kDigits, digits);
            rows.push_back({data, (digits % 2 ? "0" : "") + data, ratio}); // odd: a leading 0
        }
    }
    ExpectRowsDelivered("Int2of5", BARCODE_C25INTER, kSymbologyInt2of5, rows, 2);
}

TEST(Int2of5, DamagedImagesNeverDelivered) {
    ExpectDamageNeverDelivered({"Int2of5", BARCODE_C25INTER, 3.0,
                                [](TestRandom& r) { return RandomText(r, kDigits, 10); },
                                [](TestRandom& r, const BarPattern& pattern) {
                                    int pairs = int(RunWidths(pattern).size() - 7) / 10;
                                    return SmudgeRuns(pattern, 4 + 10 * r.Int(0, pairs - 1), 10);
                                }});
}

TEST(Int2of5, RandomRunTables) {
    ExpectRoundTrips({BARCODE_C25INTER, DecodeBarsInt2of5, kSymbologyInt2of5,
                      [](std::mt19937& rng) {
                          std::string digits;
                          for (int n = 2 * (1 + int(rng() % 15)); n > 0; --n)
                              digits += kDigits[rng() % 10];
                          return std::pair{digits, digits};
                      },
                      2.3, 3.0});
}

TEST(Int2of5, WideElementTolerance) {
    EXPECT_EQ(Read(Runs("9876543210", 10, 10, 1.5)), "9876543210");
    EXPECT_EQ(Read(Runs("9876543210", 10, 10, 4.0)), "9876543210");
    EXPECT_EQ(Read(Runs("9876543210", 10, 10, 4.25)), std::nullopt);
    EXPECT_EQ(Read(Runs("9876543210", 10, 10, 1.45)), std::nullopt);
    // Bars and spaces are judged only against their own kind: spaces of the
    // pairs printed 1.6 times as wide as the bars still read correctly.
    EXPECT_EQ(Read(Changed(Runs("9876543210"),
                           [](auto& r) {
                               for (std::size_t i = 6; i + 4 < r.size(); i += 2) r[i] *= 1.6;
                           })),
              "9876543210");

    // "38": bars 5, 7, ..., 13 (3 = w w n n n), spaces 6, 8, ..., 14 (8 = w n n w n).
    EXPECT_EQ(Read(Runs("38")), "38");
    // One wide bar narrowed: three wide elements; one narrow space widened: five.
    EXPECT_EQ(Read(Changed(Runs("38"), [](auto& r) { r[5] = 1.0; })), std::nullopt);
    EXPECT_EQ(Read(Changed(Runs("38"), [](auto& r) { r[8] = 2.5; })), std::nullopt);
}

TEST(Int2of5, QuietZonesAtTheirLimits) {
    // Trailing: strictly more than six times the stop's last bar...
    auto thinStopBar = [](double quiet) {
        return Changed(Runs("1234", 10, quiet), [](auto& r) { r[r.size() - 2] = 1.5; });
    };
    EXPECT_EQ(Read(thinStopBar(9.0)), std::nullopt);
    EXPECT_EQ(Read(thinStopBar(9.25)), "1234");
    // ...and both at least 9 narrow modules, measured over the start's four
    // narrow elements.
    EXPECT_EQ(Read(Runs("1234", 10, 8.75)), std::nullopt);
    EXPECT_EQ(Read(Runs("1234", 9.0)), "1234");
    EXPECT_EQ(Read(Runs("1234", 8.75)), std::nullopt);
    // A trailing quiet zone beyond the table, even when an older, longer
    // table left one there.
    EXPECT_EQ(Read(Runs("1234", 10, 0)), std::nullopt);
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(Runs("1234"), 4));
    LoadRuns(*laser, Scaled(Runs("1234", 10, 0), 4));
    EXPECT_FALSE(DecodeBarsInt2of5(laser.get()));
}

TEST(Int2of5, StartAndStopShapes) {
    // The stop's wide bar up to four times its last bar, not beyond.
    auto stopWide = [](double w) {
        return Changed(Runs("5678"), [w](auto& r) { r[r.size() - 4] = w; });
    };
    EXPECT_EQ(Read(stopWide(4.0)), "5678");
    EXPECT_EQ(Read(stopWide(4.25)), std::nullopt);
    EXPECT_EQ(Read(stopWide(1.25)), std::nullopt);
    // The start's two bars and two spaces must be alike within 0.75.
    EXPECT_EQ(Read(Changed(Runs("5678"), [](auto& r) { r[3] = 1.25; })), "5678");
    EXPECT_EQ(Read(Changed(Runs("5678"), [](auto& r) { r[3] = 1.5; })), std::nullopt);
    EXPECT_EQ(Read(Changed(Runs("5678"), [](auto& r) { r[4] = 1.5; })), std::nullopt);
}
