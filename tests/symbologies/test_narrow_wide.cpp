// Code 39, Codabar and Interleaved 2 of 5, the symbologies of narrow and
// wide elements without a check digit: libzint-drawn frames at ratios 2.5
// and 3 (Code 32 among them), damaged symbols, and run tables at the
// limits of the quiet zones, the framing and the wide-element tolerance.
#include "tests/support/image_case.h"
#include "tests/support/runs.h"

#include "engine/symbology.h"
#include "symbologies/decoders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

namespace {

struct NarrowWide {
    const char* name;
    int zint;
    bool (*decode)(Laser*);
    OSType code;
    const char* alphabet;
    double wide;    // the run tables' wide-to-narrow ratio
    double samples; // and samples per narrow module
};

constexpr const char* kCode39Table = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
const NarrowWide kCode39{
    "Code39", BARCODE_CODE39, DecodeBarsCode39, kSymbologyCode39, kCode39Table, 3, 3};
const NarrowWide kCodabar{
    "Codabar", BARCODE_CODABAR, DecodeBarsCodabar, kSymbologyCodabar, "0123456789-$:/.+", 2.5, 3};
const NarrowWide kInt2of5{
    "Int2of5", BARCODE_C25INTER, DecodeBarsInt2of5, kSymbologyInt2of5, "0123456789", 2.5, 4};
constexpr const char* kLetters = "ABCD"; // Codabar's start and stop letters

// Run widths in narrow elements, 0 the leading quiet zone. Code 39: 1-9 the
// start, 10 a gap, 11-19 the first character. Codabar: 1-7 the start
// letter, 8 a gap, 9-15 the first character. 2 of 5: 1-4 the start, 5-14
// the first pair of digits (bars the first, spaces the second), then the
// stop's wide bar, space and bar.
std::vector<double> Runs(const NarrowWide& s, const std::string& data, double leadingQuiet = 10,
                         double trailingQuiet = 10, double wide = 0) {
    return ZintRuns(s.zint, data, leadingQuiet, trailingQuiet, {wide > 0 ? wide : s.wide, 0, 0});
}

using Change = std::function<void(std::vector<double>&)>;

// Run i set to w; a negative i counts from the end.
Change Set(int i, double w) {
    return [=](std::vector<double>& r) { r[std::size_t(i < 0 ? int(r.size()) + i : i)] = w; };
}
Change Erase(int from, int to) {
    return [=](std::vector<double>& r) { r.erase(r.begin() + from, r.begin() + to); };
}
// The spaces from run `first` to the one `last` runs before the end, k times wider.
Change SpacesWider(std::size_t first, std::size_t last, double k) {
    return [=](std::vector<double>& r) {
        for (std::size_t i = first; i + last < r.size(); i += 2) r[i] *= k;
    };
}
// After the symbol's last bar, a gap and the runs of `more` from its run `from` on.
Change Then(double gap, std::vector<double> more, int from) {
    return [=](std::vector<double>& r) {
        r.push_back(gap);
        r.insert(r.end(), more.begin() + from, more.end());
    };
}

struct LimitCase {
    const NarrowWide* s;
    std::string data;
    double leadingQuiet = 10, trailingQuiet = 10, wide = 0, samples = 0; // 0: the symbology's
    Change change;
    std::optional<std::string> want;
    const char* why = "";
};

const std::nullopt_t kNone = std::nullopt;

const LimitCase kLimits[] = {
    // Both quiet zones are measured against a narrow bar: the start's first
    // bar and the stop's first bar, not its last.
    {&kCode39, "K9", 6, 6, 0, 4, {}, "K9", "quiet zones of 6"},
    {&kCode39, "K9", 5.75, 10, 0, 4, {}, kNone, "leading quiet zone of 5.75"},
    {&kCode39, "K9", 10, 5.75, 0, 4, {}, kNone, "trailing quiet zone of 5.75"},
    {&kCode39, "K9", 10, 6, 0, 4, Set(-2, 1.25), "K9", "stop's last bar wider"},
    {&kCode39, "K9", 10, 6, 0, 4, Set(-10, 1.25), kNone, "stop's first bar wider"},
    {&kCode39, "K9", 10, 0, 0, 0, {}, kNone, "stop's final bar as the table's last run"},
    {&kCode39, "A", 10, 10, 0, 0, {}, "A", "as printed"},
    {&kCode39, "A", 10, 10, 0, 0, Erase(11, 21), kNone, "no data: **"},
    {&kCode39, "A", 10, 10, 0, 0, Erase(1, 11), kNone, "no start: A*"},
    // A "*" after the start ends the symbol there, and its quiet zone must
    // follow: "*AB*CD*" is no symbol, "*AB*" and "CD*" after a quiet zone is.
    {&kCode39, "AB", 10, 0, 0, 0, Then(1, Runs(kCode39, "CD"), 11), kNone, "*AB*CD*"},
    {&kCode39, "AB", 10, 0, 0, 0, Then(10, Runs(kCode39, "CD"), 11), "AB", "*AB* CD*"},
    {&kCode39, "WIDE-39", 10, 10, 4.0, 4, {}, "WIDE-39", "ratio 4"},
    {&kCode39, "WIDE-39", 10, 10, 1.5, 4, {}, "WIDE-39", "ratio 1.5"},
    {&kCode39, "WIDE-39", 10, 10, 4.25, 4, {}, kNone, "ratio 4.25"},
    {&kCode39, "WIDE-39", 10, 10, 1.45, 4, {}, kNone, "ratio 1.45"},
    // Bars and spaces are judged only against their own kind.
    {&kCode39, "WIDE-39", 10, 10, 0, 0, SpacesWider(2, 1, 1.6), "WIDE-39", "spaces 1.6 wider"},
    // The "A" has one wide space (run 16): at 4.5 narrow it counts as
    // narrow and the character matches nothing.
    {&kCode39, "A", 10, 10, 0, 0, Set(16, 4.5), kNone, "wide space of 4.5 narrow"},
    // "$", "/", "+" and "%" have no wide bar: bars that differ by less than
    // 1.5 times all count as narrow.
    {&kCode39, "$/+%", 10, 10, 0, 0,
     [](std::vector<double>& r) {
         for (std::size_t i = 11; i < 51; i += 2) r[i] = i % 4 == 1 ? 1.0 : 1.45;
     },
     "$/+%", "narrow bars of 1 and 1.45"},
    // A blot merged into the last bar of "/" (runs 21 to 29, all its bars
    // narrow) is far beyond any wide bar: the character fails rather than
    // reading as "/" and dropping the characters under the blot.
    {&kCode39, "K/Q", 10, 10, 0, 0, Set(29, 9.0), kNone, "blot of 9 modules"},

    {&kCodabar, "A9999D", 6, 6, 0, 4, {}, "A9999D", "quiet zones of 6"},
    {&kCodabar, "A9999D", 5.75, 10, 0, 4, {}, kNone, "leading quiet zone of 5.75"},
    {&kCodabar, "A9999D", 10, 5.75, 0, 4, {}, kNone, "trailing quiet zone of 5.75"},
    {&kCodabar, "A9999D", 10, 6, 0, 4, Set(-2, 1.25), "A9999D", "stop letter's last bar wider"},
    {&kCodabar, "A9999D", 10, 6, 0, 4, Set(-8, 1.25), kNone, "stop letter's first bar wider"},
    {&kCodabar, "A9999D", 10, 0, 0, 0, {}, kNone, "stop's final bar as the table's last run"},
    {&kCodabar, "A1234B", 10, 10, 0, 0, {}, "A1234B", "as printed"},
    {&kCodabar, "A123B", 10, 10, 0, 0, {}, kNone, "three data characters: too short"},
    {&kCodabar, "A1234B", 10, 10, 0, 0, Erase(1, 9), kNone, "no start letter: 1234B"},
    // A letter after the start always ends the symbol, and its quiet zone
    // must follow.
    {&kCodabar, "A1234B", 10, 0, 0, 0, Then(1, Runs(kCodabar, "A5678C"), 9), kNone, "A1234B5678C"},
    {&kCodabar, "A1234B", 10, 0, 0, 0, Then(10, Runs(kCodabar, "A5678C"), 9), "A1234B",
     "A1234B 5678C"},
    {&kCodabar, "B:/.+-$C", 10, 10, 5.0, 4, {}, "B:/.+-$C", "ratio 5"},
    {&kCodabar, "B:/.+-$C", 10, 10, 1.5, 4, {}, "B:/.+-$C", "ratio 1.5"},
    {&kCodabar, "B:/.+-$C", 10, 10, 5.25, 4, {}, kNone, "ratio 5.25"},
    {&kCodabar, "B:/.+-$C", 10, 10, 1.45, 4, {}, kNone, "ratio 1.45"},
    // ":", "/", "." and "+" have no wide space: their spaces are compared
    // only with each other, so spaces 1.6 to 2.2 times as wide as the
    // narrow bars and less than 1.5 times each other all count as narrow.
    {&kCodabar, "A:/.+A", 10, 10, 0, 0,
     [](std::vector<double>& r) {
         for (std::size_t i = 10; i < 42; i += 2) r[i] = i % 4 == 0 ? 1.6 : 2.2;
     },
     "A:/.+A", "narrow spaces of 1.6 and 2.2"},
    {&kCodabar, "B0123456789-$C", 10, 10, 0, 0, SpacesWider(2, 1, 1.6), "B0123456789-$C",
     "spaces 1.6 wider"},

    {&kInt2of5, "9876543210", 10, 10, 1.5, 0, {}, "9876543210", "ratio 1.5"},
    {&kInt2of5, "9876543210", 10, 10, 4.0, 0, {}, "9876543210", "ratio 4"},
    {&kInt2of5, "9876543210", 10, 10, 4.25, 0, {}, kNone, "ratio 4.25"},
    {&kInt2of5, "9876543210", 10, 10, 1.45, 0, {}, kNone, "ratio 1.45"},
    {&kInt2of5, "9876543210", 10, 10, 0, 0, SpacesWider(6, 4, 1.6), "9876543210",
     "spaces 1.6 wider"},
    // "38": bars 5, 7, ..., 13 (3 = w w n n n), spaces 6, 8, ..., 14 (8 = w n n w n).
    {&kInt2of5, "381234", 10, 10, 0, 0, {}, "381234", "as printed"},
    {&kInt2of5, "381234", 10, 10, 0, 0, Set(5, 1.0), kNone, "a wide bar narrowed"},
    {&kInt2of5, "381234", 10, 10, 0, 0, Set(8, 2.5), kNone, "a narrow space widened"},
    {&kInt2of5, "3812", 10, 10, 0, 0, {}, kNone, "four digits: too short"},
    // Trailing: strictly more than six times the stop's last bar, and both
    // at least 9 narrow modules, measured over the start's four elements.
    {&kInt2of5, "123456", 10, 9.0, 0, 0, Set(-2, 1.5), kNone, "9 after a stop bar of 1.5"},
    {&kInt2of5, "123456", 10, 9.25, 0, 0, Set(-2, 1.5), "123456", "9.25 after a stop bar of 1.5"},
    {&kInt2of5, "123456", 10, 8.75, 0, 0, {}, kNone, "trailing quiet zone of 8.75"},
    {&kInt2of5, "123456", 9.0, 10, 0, 0, {}, "123456", "leading quiet zone of 9"},
    {&kInt2of5, "123456", 8.75, 10, 0, 0, {}, kNone, "leading quiet zone of 8.75"},
    {&kInt2of5, "123456", 10, 0, 0, 0, {}, kNone, "stop's final bar as the table's last run"},
    // The stop's wide bar up to four times its last bar; the start's two
    // bars and two spaces alike within 0.75.
    {&kInt2of5, "567890", 10, 10, 0, 0, Set(-4, 4.0), "567890", "stop's wide bar of 4"},
    {&kInt2of5, "567890", 10, 10, 0, 0, Set(-4, 4.25), kNone, "stop's wide bar of 4.25"},
    {&kInt2of5, "567890", 10, 10, 0, 0, Set(-4, 1.25), kNone, "stop's wide bar of 1.25"},
    {&kInt2of5, "567890", 10, 10, 0, 0, Set(3, 1.25), "567890", "start's bar of 1.25"},
    {&kInt2of5, "567890", 10, 10, 0, 0, Set(3, 1.5), kNone, "start's bar of 1.5"},
    {&kInt2of5, "567890", 10, 10, 0, 0, Set(4, 1.5), kNone, "start's space of 1.5"},
};

} // namespace

TEST(NarrowWide, RunTablesAtTheLimitsOfTheRules) {
    for (const LimitCase& c : kLimits) {
        std::vector<double> runs = Runs(*c.s, c.data, c.leadingQuiet, c.trailingQuiet, c.wide);
        if (c.change) c.change(runs);
        double samples = c.samples > 0 ? c.samples : c.s->samples;
        EXPECT_EQ(DecodeModules(c.s->decode, c.s->code, runs, samples), c.want)
            << c.s->name << " \"" << c.data << "\": " << c.why;
    }
    // A table that ends with the stop's final bar has no quiet zone to
    // test, even when an older, longer table left one behind beyond its end.
    for (auto [s, data] :
         {std::pair{&kCode39, "K9"}, {&kCodabar, "A9999D"}, {&kInt2of5, "123456"}}) {
        auto laser = MakeLaser();
        LoadRuns(*laser, Scaled(Runs(*s, data), s->samples));
        LoadRuns(*laser, Scaled(Runs(*s, data, 10, 0), s->samples));
        EXPECT_FALSE(s->decode(laser.get())) << s->name;
    }
}

// Read harder, a Codabar run table whose edges read but whose grey levels
// show one bar a quarter as dark as the others (a low threshold's phantom
// bar in a wide space) is refused; the same edges over even bars read.
TEST(NarrowWide, ReadHarderElementsMustStandOutInTheGreyLevels) {
    auto read = [](int faintBar) -> std::optional<std::string> {
        auto laser = MakeLaser();
        const std::vector<double> runs = Scaled(ZintRuns(BARCODE_CODABAR, "A123456B", 12, 12), 3);
        LoadRuns(*laser, runs);
        int n = 0;
        for (std::size_t i = 0; i < runs.size(); ++i)
            for (int k = 0; k < int(std::lround(runs[i])); ++k)
                laser->samples[n++] = i % 2 == 0 ? 900 : int(i) == faintBar ? 750 : 250;
        laser->samplesTaken = n;
        laser->rules = kRulesHard;
        if (!DecodeBarsCodabar(laser.get())) return std::nullopt;
        return laser->text.ToString();
    };
    EXPECT_EQ(read(-1), "A123456B");
    EXPECT_EQ(read(17), std::nullopt);
}

// Each at the ratios 2.5 and 3. Code 32 numbers as libzint writes them
// under its symbols (it adds the check digit); beside them Code 39 labels
// that are no Code 32 number: six base-32 characters whose check digit does
// not fit, one character too many, a vowel. Without the Code 32 switch a
// Code 32 symbol is the Code 39 it is printed as.
TEST(NarrowWide, ImagesDelivered) {
    std::vector<SymbolRow> code39, codabar, int2of5, code32, code39With32;
    TestRandom random(39);
    for (double ratio : {2.5, 3.0}) {
        for (std::size_t i = 0; i < 43; i += 5) {
            const std::string data = std::string(kCode39.alphabet).substr(i, 5);
            code39.push_back({data, Code39Text(data), ratio});
        }
        code39.push_back({"K", "K", ratio});
        for (int start = 0; start < 4; ++start)
            for (int stop = 0; stop < 4; ++stop) {
                const std::string data = kLetters[start] +
                                         RandomText(random, kCodabar.alphabet, random.Int(4, 8)) +
                                         kLetters[stop];
                codabar.push_back({data, data, ratio});
            }
        // Even counts from 6 to 20, and the odd 7, 11, 15 and 19 with a leading 0.
        for (int digits = 6; digits <= 20; ++digits) {
            if (digits % 2 == 1 && digits % 4 != 3) continue;
            const std::string data = RandomText(random, kInt2of5.alphabet, digits);
            int2of5.push_back({data, (digits % 2 ? "0" : "") + data, ratio});
        }
        for (auto [digits, number] : {std::pair{"12345678", "A123456788"},
                                      {"00000000", "A000000000"},
                                      {"99999999", "A999999992"},
                                      {"80112233", "A801122336"},
                                      {"35721498", "A357214980"}})
            code32.push_back({digits, number, ratio});
        for (const char* text : {"3PRM8M", "3PRM8NB", "3PRM8A"})
            code39With32.push_back({text, text, ratio});
    }
    ExpectRowsDelivered("Code39", BARCODE_CODE39, kSymbologyCode39, code39, 3);
    ExpectRowsDelivered("Codabar", BARCODE_CODABAR, kSymbologyCodabar, codabar, 2);
    ExpectRowsDelivered("Int2of5", BARCODE_C25INTER, kSymbologyInt2of5, int2of5, 2);
    ExpectRowsDelivered("Code32", BARCODE_CODE32, kSymbologyCode32, code32, 2, {kKeyCode32});
    ExpectRowsDelivered("Code32As39", BARCODE_CODE39, kSymbologyCode39, code39With32, 2,
                        {kKeyCode32});
    ExpectRowsDelivered("Code32Off", BARCODE_CODE32, kSymbologyCode39,
                        {{"12345678", "3PRM8N", 3.0}}, 2);
}

TEST(NarrowWide, DamagedImagesNeverDelivered) {
    ExpectDamageNeverDelivered({"Code39", BARCODE_CODE39, 3.0,
                                [](TestRandom& r) { return RandomText(r, kCode39.alphabet, 6); },
                                [](TestRandom& r, const BarPattern& pattern) {
                                    return SmudgeRuns(pattern, 10 * r.Int(1, 6), 9);
                                },
                                [](const std::string& data) { return Code39Text(data); }});
    ExpectDamageNeverDelivered({"Codabar", BARCODE_CODABAR, 3.0,
                                [](TestRandom& r) {
                                    std::string data(1, kLetters[r.Int(0, 3)]);
                                    data += RandomText(r, kCodabar.alphabet, 6);
                                    return data + kLetters[r.Int(0, 3)];
                                },
                                [](TestRandom& r, const BarPattern& pattern) {
                                    return SmudgeRuns(pattern, 8 * r.Int(1, 6), 7);
                                }});
    ExpectDamageNeverDelivered({"Int2of5", BARCODE_C25INTER, 3.0,
                                [](TestRandom& r) { return RandomText(r, kInt2of5.alphabet, 10); },
                                [](TestRandom& r, const BarPattern& pattern) {
                                    int pairs = int(RunWidths(pattern).size() - 7) / 10;
                                    return SmudgeRuns(pattern, 4 + 10 * r.Int(0, pairs - 1), 10);
                                }});
}
