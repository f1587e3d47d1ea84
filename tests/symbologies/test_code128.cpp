// Code 128: libzint-drawn frames in each code set with switches and a
// shift, damaged symbols, and run tables built from the standard's bar and
// space widths for what no encoder draws: start values and FNC4 as data,
// check characters valued 99 to 101, ties between characters, and the
// limits of the quiet zones and of the width tolerance; GS1-128, its
// element strings and their printed form.
#include "tests/support/image_case.h"
#include "tests/support/runs.h"

#include "engine/symbology.h"
#include "symbologies/decoders.h"
#include "symbologies/gs1_128.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>

namespace {

// Bar, space, bar, space, bar, space widths in modules of values 0 to 106;
// the stop (106) with its final two-module bar.
constexpr std::array<std::string_view, 107> kWidths = {
    "212222", "222122", "222221",  "121223", "121322", "131222", "122213", "122312", // 0-7
    "132212", "221213", "221312",  "231212", "112232", "122132", "122231", "113222", // 8-15
    "123122", "123221", "223211",  "221132", "221231", "213212", "223112", "312131", // 16-23
    "311222", "321122", "321221",  "312212", "322112", "322211", "212123", "212321", // 24-31
    "232121", "111323", "131123",  "131321", "112313", "132113", "132311", "211313", // 32-39
    "231113", "231311", "112133",  "112331", "132131", "113123", "113321", "133121", // 40-47
    "313121", "211331", "231131",  "213113", "213311", "213131", "311123", "311321", // 48-55
    "331121", "312113", "312311",  "332111", "314111", "221411", "431111", "111224", // 56-63
    "111422", "121124", "121421",  "141122", "141221", "112214", "112412", "122114", // 64-71
    "122411", "142112", "142211",  "241211", "221114", "413111", "241112", "134111", // 72-79
    "111242", "121142", "121241",  "114212", "124112", "124211", "411212", "421112", // 80-87
    "421211", "212141", "214121",  "412121", "111143", "111341", "131141", "114113", // 88-95
    "114311", "411113", "411311",  "113141", "114131", "311141", "411131", "211412", // 96-103
    "211214", "211232", "2331112",                                                   // 104-106
};

constexpr int kCodeC = 99, kCodeB = 100, kCodeA = 101, kShift = 98, kFnc1 = 102;
constexpr int kStartA = 103, kStartB = 104, kStartC = 105, kStop = 106;
constexpr double kQuiet = 10.0; // modules

// The check value of a start followed by data values.
int CheckValue(const std::vector<int>& values) {
    int sum = values[0];
    for (std::size_t i = 1; i < values.size(); ++i) sum += int(i) * values[i];
    return sum % 103;
}

void Append(std::vector<double>& modules, int value) {
    for (char w : kWidths[value]) modules.push_back(w - '0');
}

// Module widths of the values as given, after a leading quiet zone and
// before a trailing one (none when 0).
std::vector<double> RawModules(const std::vector<int>& values, double leadingQuiet = kQuiet,
                               double trailingQuiet = kQuiet) {
    std::vector<double> modules{leadingQuiet};
    for (int v : values) Append(modules, v);
    if (trailingQuiet > 0) modules.push_back(trailingQuiet);
    return modules;
}

// A whole symbol: start and data values, then their check character and the stop.
std::vector<double> Modules(std::vector<int> values, double leadingQuiet = kQuiet,
                            double trailingQuiet = kQuiet) {
    values.push_back(CheckValue(values));
    values.push_back(kStop);
    return RawModules(values, leadingQuiet, trailingQuiet);
}

std::vector<int> SetB(int start, std::string_view text) {
    std::vector<int> values{start};
    for (char c : text) values.push_back(c - 32);
    return values;
}

// Start B, one character of the six widths, the check character of value
// `checkFor` after start B, and the stop.
std::vector<double> OneCharacter(const std::array<double, 6>& widths, int checkFor) {
    std::vector<double> modules = RawModules({kStartB}, kQuiet, 0);
    modules.insert(modules.end(), widths.begin(), widths.end());
    Append(modules, CheckValue({kStartB, checkFor}));
    Append(modules, kStop);
    modules.push_back(kQuiet);
    return modules;
}

// A character whose four edge distances are all a fraction f of those of
// "V" (value 54): it scores 4 f, and needs 3.4 to be read.
std::vector<double> ShrunkV(double f) {
    std::array<double, 6> w{};
    for (int i = 0; i < 6; ++i) w[i] = kWidths[54][i] - '0';
    const double e1 = (w[0] + w[1]) * f, e2 = (w[2] + w[3]) * f;
    const double e3 = (w[1] + w[2]) * f, e4 = (w[3] + w[4]) * f;
    const double s1 = 0.5, b2 = e3 - s1, s2 = e2 - b2, b3 = e4 - s2;
    return OneCharacter({e1 - s1, s1, b2, s2, b3, 11.0 - e1 - e2 - b3}, 54);
}

// The decoded text, or nothing when the decoder fails.
std::optional<std::string> Read(const std::vector<double>& modules, double samplesPerModule = 3.0) {
    return DecodeModules(DecodeBarsCode128, kSymbologyCode128, modules, samplesPerModule);
}

} // namespace

class Code128 : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitializeCode128(); }
};

TEST_F(Code128, RunTablesAtTheLimitsOfTheRules) {
    const std::vector<int> q1 = SetB(kStartB, "Q1");
    // The stop is recognised by its first six runs; the trailing quiet zone
    // is measured against its final bar, and against 6 of the symbol's
    // modules as well.
    std::vector<double> thinFinalBar = Modules(q1, kQuiet, 6.0);
    thinFinalBar[thinFinalBar.size() - 2] = 1.5;
    std::vector<double> thinFinalBarCloser = thinFinalBar;
    thinFinalBarCloser.back() = 5.5;
    std::vector<double> thickFinalBar = Modules(q1, kQuiet, 7.0);
    thickFinalBar[thickFinalBar.size() - 2] = 2.5;
    // The leading quiet zone need not be the first run of the table.
    std::vector<double> afterRuns{1, 1, 2, 1};
    for (double m : Modules(q1)) afterRuns.push_back(m);
    // A stop where a start should be rejects that quiet zone, not the table.
    std::vector<double> afterStop = RawModules({kStop}, kQuiet, 0);
    for (double m : Modules(SetB(kStartB, "ok"))) afterStop.push_back(m);
    // Start B, "K", "7", check, stop; the "K" (value 43, widths 112331)
    // occupies modules 8 to 13 of the table. Every bar a quarter module
    // wider, every space a quarter narrower; or one bar of the "K" two
    // modules too wide, taken from the space after it.
    const std::vector<double> k7 = Modules(SetB(kStartB, "K7"));
    std::vector<double> inked = k7, blotted = k7;
    for (std::size_t i = 1; i + 1 < inked.size(); ++i) inked[i] += i % 2 == 1 ? 0.25 : -0.25;
    blotted[9] += 2.0;
    blotted[10] -= 2.0;
    // The "Q" (runs 7 to 12) scaled as a whole: its own edges still match,
    // but it is no longer 11 of the symbol's modules.
    auto widerQ = [&](double f) {
        std::vector<double> runs = Modules(q1);
        for (std::size_t i = 7; i <= 12; ++i) runs[i] *= f;
        return runs;
    };
    // Widths 2.5 1 1 2.5 1.5 2.5 put the leading-edge distances half way
    // between those of value 24 (4, 3) and value 39 (3, 4), whose trailing
    // distances (2, 4) both match exactly: the two score alike, and the tie
    // goes to the lower value.
    const std::array<double, 6> tie = {2.5, 1.0, 1.0, 2.5, 1.5, 2.5};
    std::vector<int> wrongCheck = SetB(kStartB, "ok");
    wrongCheck.push_back((CheckValue(wrongCheck) + 1) % 103);
    wrongCheck.push_back(kStop);

    const std::optional<std::string> none;
    const struct {
        const char* why;
        std::vector<double> modules;
        double samples;
        std::optional<std::string> want;
    } cases[] = {
        // Code B in set B and Code A in set A are FNC4: the next character
        // is Latin-1 (in UTF-8); set C's digits use it up.
        {"FNC4 before set C",
         Modules({kStartB, 88, kCodeB, kCodeA, kCodeA, kCodeC, 99, kCodeB, 90}), 3, "x99z"},
        // FNC4 adds 128 to the character's own code: DEL becomes a y with
        // diaeresis, a control character a C1 control, read as a space as
        // the other controls are.
        {"FNC4 and DEL", Modules({kStartB, 33, kCodeB, 95}), 3, "A\xc3\xbf"},
        {"FNC4 and a control", Modules({kStartA, 33, kCodeA, 64 + 5, 33}), 3, "A A"},
        // Start values and FNC1 after the first character are data: a space
        // in sets A and B, nothing in set C.
        {"a start as data", Modules({kStartB, 33, kStartA, 34}), 3, "A B"},
        {"a start and FNC1 in set C", Modules({kStartC, 12, kStartA, kFnc1, 34}), 3, "1234"},
        // The start's first bar and the stop's last bar are both two modules.
        {"quiet zones of 6", Modules(q1, 6.0, 6.0), 4, "Q1"},
        {"leading quiet zone of 5.75", Modules(q1, 5.75, kQuiet), 4, none},
        {"trailing quiet zone of 5.75", Modules(q1, kQuiet, 5.75), 4, none},
        {"6 after a final bar of 1.5", thinFinalBar, 4, "Q1"},
        {"5.5 after a final bar of 1.5", thinFinalBarCloser, 4, none},
        {"7 after a final bar of 2.5", thickFinalBar, 4, none},
        {"quiet zone after other runs", afterRuns, 3, "Q1"},
        {"no data character", Modules({kStartB}), 3, none},
        {"a Code C as the only data character", Modules({kStartB, kCodeC}), 3, none},
        {"a stop alone", RawModules({kStop}), 3, none},
        {"a symbol after a stop", afterStop, 3, "ok"},
        {"a wrong check character", RawModules(wrongCheck), 3, none},
        {"no stop", RawModules(SetB(kStartB, "no stop at all")), 3, none},
        // The trailing quiet zone as the last run of the table is enough.
        {"trailing quiet zone as the last run", Modules(SetB(kStartB, "end"), kQuiet, 6.0), 3,
         "end"},
        {"no trailing quiet zone", Modules(SetB(kStartB, "end"), kQuiet, 0), 3, none},
        {"as printed", k7, 3, "K7"},
        // The other direction is read from a laser crossing the symbol the other way.
        {"read backwards", {k7.rbegin(), k7.rend()}, 3, none},
        {"ink spread of a quarter module", inked, 3, "K7"},
        {"a bar two modules too wide", blotted, 3, none},
        {"a character 1.2 times as wide", widerQ(1.2), 3, "Q1"},
        {"a character 1.3 times as wide", widerQ(1.3), 3, none},
        {"edges at 0.86 of a V's", ShrunkV(0.86), 2, "V"},
        {"edges at 0.84 of a V's", ShrunkV(0.84), 2, none},
        {"a tie with the check of the lower value", OneCharacter(tie, 24), 2, "8"},
        {"a tie with the check of the higher value", OneCharacter(tie, 39), 2, none},
        // A check character of the value of a code set switch (Code C, B, A)
        // switches nothing.
        {"a check character valued 99", Modules({kStartA, 1, 49}), 3, "!Q"},
        {"a check character valued 100", Modules({kStartB, 3, 48}), 3, "#P"},
        {"a check character valued 101", Modules({kStartC, 1, 49}), 3, "0149"},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c.modules, c.samples), c.want) << c.why;

    // A table that ends with the stop's final bar has no quiet zone to test,
    // even when an older, longer table left one behind beyond its end.
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(Modules(SetB(kStartB, "end")), 3.0));
    LoadRuns(*laser, Scaled(Modules(SetB(kStartB, "end"), kQuiet, 0), 3.0));
    EXPECT_FALSE(DecodeBarsCode128(laser.get()));
}

TEST_F(Code128, ImagesDelivered) {
    // The comments name the code sets libzint chooses; values 64 and up in
    // set A (controls) and DEL in set B read as a space, and the value after
    // a SHIFT reads in the other set; FNC4 makes the next character (or,
    // doubled, those up to the next double FNC4) Latin-1, delivered as UTF-8.
    const std::vector<SymbolRow> rows = {
        {"\1\2\3ABC", "   ABC"},                    // Start A
        {"KESTRIX\tSCAN\x01", "KESTRIX SCAN "},     // Start A
        {"scanner 1.0", "scanner 1.0"},             // Start B
        {"1234567890", "1234567890"},               // Start C
        {"0123456789012345", "0123456789012345"},   // Start C
        {"AB12345678cd", "AB12345678cd"},           // Start B, Code C, Code B
        {"12345678ab\x02\x03XY", "12345678ab  XY"}, // Start C, Code B, Code A
        {"abc\x01\x02\x03\x04", "abc    "},         // Start B, Code A
        {"a\tb", "a b"},                            // Start B, Shift
        {"X1234Y\x05z", "X1234Y z"},                // Start B, Code C, Code A, Shift
        {"hello\x7f", "hello "},                    // Start B, DEL
        {"caf\xe9", "caf\xc3\xa9"},                 // Start B, FNC4: Latin-1 as UTF-8
        {"Gr\xfc\xdf"
         "e",
         "Gr\xc3\xbc\xc3\x9f"
         "e"},                     // Start B, FNC4 twice
        {"\xff\x85", "\xc3\xbf "}, // FNC4 and DEL, FNC4 and a control
        {"\xc4\xd6\xdc\xe4\xf6\xfc", "\xc3\x84\xc3\x96\xc3\x9c\xc3\xa4\xc3\xb6\xc3\xbc"},
    };
    ExpectRowsDelivered("Code128", BARCODE_CODE128, kSymbologyCode128, rows, 4);
}

TEST_F(Code128, Gs1ElementStringsInTheirPrintedForm) {
    // The leading FNC1 is no text, a later one ends an element that is not of
    // predefined length; an element of predefined length needs none.
    ExpectRowsDelivered(
        "GS1-128", BARCODE_GS1_128, kSymbologyGS1_128,
        {{"[10]AB12[21]XY", "(10)AB12(21)XY"},
         {"[01]09501101530003[17]250630[10]L0T-7", "(01)09501101530003(17)250630(10)L0T-7"},
         {"[00]395011015300000011", "(00)395011015300000011"}},
        2);
    auto gs1 = [](std::vector<int> values) {
        auto laser = MakeLaser();
        LoadRuns(*laser, Scaled(Modules(std::move(values)), 3.0));
        return DecodeBarsCode128(laser.get())
                   ? FourCCToString(laser->symbology) + ":" + laser->text.ToString()
                   : std::string("none");
    };
    // An AI of no known length (05), and AI 20 with one digit of its two,
    // are read as the Code 128 they also are, a separator as a space.
    EXPECT_EQ(gs1({kStartC, kFnc1, 10, kCodeB, 33, 34, kFnc1, kCodeC, 21, kCodeB, 56, 57}),
              "g128:(10)AB(21)XY");
    EXPECT_EQ(gs1({kStartC, kFnc1, 5, 12, kFnc1, 21, 34}), "c128:0512 2134");
    EXPECT_EQ(gs1({kStartC, kFnc1, 20, kCodeB, 17}), "c128:201");
    // An FNC1 that is not first stays a function character.
    EXPECT_EQ(gs1({kStartB, 33, kFnc1, 34}), "c128:A B");

    // Element strings, their separators the group separator \035.
    const struct {
        std::string_view elements;
        std::optional<std::string> printed;
    } forms[] = {
        {"10AB12\03521XY", "(10)AB12(21)XY"},
        {"0109501101530003\03510X", "(01)09501101530003(10)X"}, // an FNC1 not needed
        {"31030005008005123", "(3103)000500(8005)123"},
        {"2401A(B)", std::nullopt},         // a "(" would not turn back
        {"10AB\035", std::nullopt},         // a separator before nothing
        {"10A B", std::nullopt},            // a space
        {"01123", std::nullopt},            // too short for its length
        {"010950110153000X", std::nullopt}, // not digits
        {"10\03521X", std::nullopt},        // an empty element
    };
    for (const auto& f : forms) {
        EXPECT_EQ(Gs1PrintedForm(f.elements), f.printed) << f.elements;
        if (!f.printed) continue;
        const std::optional<std::string> back = Gs1ElementString(*f.printed);
        ASSERT_TRUE(back) << *f.printed;
        EXPECT_EQ(Gs1PrintedForm(*back), f.printed);
    }
    EXPECT_EQ(Gs1ElementString("(10)AB12(21)XY"), "10AB12\03521XY");
    EXPECT_EQ(Gs1ElementString("10AB12"), std::nullopt);
}

TEST_F(Code128, DamagedImagesNeverDelivered) {
    ExpectDamageNeverDelivered(
        {"Code128", BARCODE_CODE128, 0,
         [](TestRandom& r) {
             return RandomText(
                 r, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-./ ", 8);
         },
         [](TestRandom& r, const BarPattern& pattern) { // a data character
             int characters = int(RunWidths(pattern).size() - 7) / 6;
             return SmudgeRuns(pattern, 6 * r.Int(1, characters - 2), 6);
         }});
}
