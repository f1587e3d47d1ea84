// EAN-13, UPC-A, EAN-8, UPC-E and the add-ons: libzint-drawn frames with
// and without add-ons, damaged symbols, and run tables at the limits of the rules that keep reads
// correct (quiet zones, guard spacing, digit widths, parity, the switches,
// the add-ons' digit counts and the frame's border).
#include "tests/support/image_case.h"
#include "tests/support/runs.h"

#include "engine/decode.h"
#include "engine/scanner_instance.h"
#include "engine/symbology.h"
#include "symbologies/decoders.h"
#include "video/null_video.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string RandomDigits(TestRandom& random, int count) {
    return RandomText(random, "0123456789", count);
}

// A random UPC-E number (number system and six digits) in the form that
// zero suppression produces, the only one libzint draws: a last digit 3
// needs a third digit of 3 or more, 4 a non-zero fourth digit, 5 to 9 a
// non-zero fifth digit.
std::string RandomUpcE(TestRandom& random) {
    for (;;) {
        const std::string e = char('0' + random.Int(0, 1)) + RandomDigits(random, 6);
        if (e[6] == '3' ? e[3] >= '3' : e[6] == '4' ? e[4] != '0' : e[6] < '5' || e[5] != '0')
            return e;
    }
}

// What the scanner must report, worked out from the standards alone, never
// from the scanner's own decoders: the EAN/UPC check digit of a payload
// (the weights 3, 1, 3, ... run from its rightmost digit), and a UPC-E
// number expanded to the 11-digit UPC-A payload.
char EanCheckDigit(std::string_view payload) {
    int sum = 0, weight = 3;
    for (auto it = payload.rbegin(); it != payload.rend(); ++it) {
        sum += weight * (*it - '0');
        weight = 4 - weight;
    }
    return char('0' + (10 - sum % 10) % 10);
}

std::string ExpandUpcE(std::string_view e) {
    std::string ns(1, e[0]);
    std::string d(e.substr(1, 6));
    switch (d[5]) {
    case '0':
    case '1':
    case '2':
        return ns + d.substr(0, 2) + d[5] + "0000" + d.substr(2, 3);
    case '3':
        return ns + d.substr(0, 3) + "00000" + d.substr(3, 2);
    case '4':
        return ns + d.substr(0, 4) + "00000" + d[4];
    default:
        return ns + d.substr(0, 5) + "0000" + d[5];
    }
}

// Run widths of an EAN-13 in modules: 0 the leading quiet zone, 1-3 the
// start guard, 4 + 4 k the first run of left digit k, 28-32 the centre
// guard, 33 + 4 k right digit k, then the end guard and the trailing quiet
// zone; with an add-on 9 modules after the end guard, 64 + 6 k is the first
// run of the add-on's digit k.
std::vector<double> Ean13(double leadingQuiet = 11, double trailingQuiet = 7,
                          const std::string& addOn = "") {
    return ZintRuns(BARCODE_EANX, "400638133393" + (addOn.empty() ? "" : "+" + addOn), leadingQuiet,
                    trailingQuiet, {.addOnGap = addOn.empty() ? 0 : 9});
}
// 0 the leading quiet zone, 1-3 the start guard, 4 + 4 k digit k.
std::vector<double> UpcE(double trailingQuiet = 9) {
    return ZintRuns(BARCODE_UPCE, "0123455", 9, trailingQuiet);
}

std::vector<double> Changed(std::vector<double> runs,
                            const std::function<void(std::vector<double>&)>& change) {
    change(runs);
    return runs;
}
// Every digit of runs [first, first + 4 count) read the other way: its
// parity turned.
std::vector<double> ParitiesTurned(std::vector<double> runs, std::size_t first, int count) {
    for (int k = 0; k < count; ++k)
        std::reverse(runs.begin() + long(first) + 4 * k, runs.begin() + long(first) + 4 * k + 4);
    return runs;
}
// Left digit k of runs [4 + 4 k, 8 + 4 k) scaled by f as a whole.
std::vector<double> DigitScaled(std::vector<double> runs, int k, double f) {
    for (int i = 4 + 4 * k; i < 8 + 4 * k; ++i) runs[std::size_t(i)] *= f;
    return runs;
}
std::vector<double> Then(std::vector<double> runs, std::initializer_list<double> more) {
    runs.insert(runs.end(), more);
    return runs;
}

enum class Decoder { EAN13, EAN8, UPCE };

// The switches a case is read with.
struct Setting {
    bool ean13 = true, upca = true;
    OSType supplement = kSupplementIgnore;
    bool harder = false; // read harder: the table's ends are the frame's border
};
constexpr Setting kEan13Off{.ean13 = false}, kUpcaOff{.upca = false};
constexpr Setting kRequired{.supplement = kSupplementRequire};
constexpr Setting kOptional{.supplement = kSupplementOptional};
constexpr Setting kRequiredAtBorder{.supplement = kSupplementRequire, .harder = true};

struct RunCase {
    const char* why;
    Decoder decoder;
    std::vector<double> modules;
    std::optional<std::string> want; // "ean1:4006381333931"
    Setting setting = {};
    double samples = 3;
};

std::optional<std::string> Read(const RunCase& c) {
    const InstancePtr in(NewInstance(nullptr, nullptr, NullVideoHooks()));
    SetBooleanInfo(in.get(), kKeyEAN13, c.setting.ean13);
    SetBooleanInfo(in.get(), kKeyUPCA, c.setting.upca);
    SetOSTypeInfo(in.get(), kKeySupplement, c.setting.supplement);
    const DecodeOptions options = DecodeOptionsOf(in.get());
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(c.modules, c.samples));
    laser->rules = c.setting.harder ? kRulesHard : kRulesPrinted;
    const bool read = c.decoder == Decoder::EAN8   ? DecodeBarsEAN8(laser.get())
                      : c.decoder == Decoder::UPCE ? DecodeBarsUPCE(options, laser.get())
                                                   : DecodeBarsEAN13(options, laser.get());
    if (!read) return std::nullopt;
    return FourCCToString(laser->symbology) + ":" + laser->text.ToString();
}

} // namespace

// libzint-drawn symbols of each kind, with and without add-ons, at angles
// round the whole circle: each delivered exactly once, with its add-on when
// add-ons are optional.
TEST(EAN, ImagesDelivered) {
    TestRandom random(2026);
    std::vector<SymbolRow> ean13, upca, ean8, upce, ean13AddOn, upcaAddOn;
    for (int i = 0; i < 4; ++i) {
        std::string p = std::string(1, char('1' + random.Int(0, 8))) + RandomDigits(random, 11);
        ean13.push_back({p, p + EanCheckDigit(p)});
        p = RandomDigits(random, 11);
        upca.push_back({p, "0" + p + EanCheckDigit(p)});
        p = RandomDigits(random, 7);
        ean8.push_back({p, p + EanCheckDigit(p)});
        p = RandomUpcE(random);
        const std::string expanded = ExpandUpcE(p);
        upce.push_back({p, "0" + expanded + EanCheckDigit(expanded)});
        const std::string addOn = RandomDigits(random, i % 2 ? 5 : 2);
        p = "9" + RandomDigits(random, 11);
        ean13AddOn.push_back({p + "+" + addOn, p + EanCheckDigit(p) + " " + addOn});
        p = RandomDigits(random, 11);
        upcaAddOn.push_back({p + "+" + addOn, "0" + p + EanCheckDigit(p) + " " + addOn});
    }
    ExpectRowsDelivered("EAN13", BARCODE_EANX, kSymbologyEAN13, ean13, 5);
    ExpectRowsDelivered("UPCA", BARCODE_UPCA, kSymbologyUPCA, upca, 5);
    ExpectRowsDelivered("EAN8", BARCODE_EANX, kSymbologyEAN8, ean8, 5);
    ExpectRowsDelivered("UPCE", BARCODE_UPCE, kSymbologyUPCE, upce, 5);
    ExpectRowsDelivered("EAN13AddOn", BARCODE_EANX, kSymbologyEAN13, ean13AddOn, 3, {},
                        kSupplementOptional);
    ExpectRowsDelivered("UPCAAddOn", BARCODE_UPCA, kSymbologyUPCA, upcaAddOn, 3, {},
                        kSupplementOptional);
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
    ExpectDamageNeverDelivered({"UPCE", BARCODE_UPCE, 0, RandomUpcE,
                                [](TestRandom& r, const BarPattern&) {
                                    double start = 3 + 7.0 * r.Int(0, 5);
                                    return Smudge(start, start + 7);
                                },
                                [](const std::string& data) {
                                    std::string upca = ExpandUpcE(data);
                                    return "0" + upca + EanCheckDigit(upca);
                                }});
}

// A second analysis' run table whose edges spell an EAN-13 that the laser's
// grey levels do not show, as a book cover's blurred 9780201752847 was read
// as 4184202752847 (its check digit fits), or whose quiet zone the grey
// levels show a bar in (an analysis that dropped its weak edges): refused.
// The same edges over grey levels that show them read. A digit whose edges
// match it only loosely reads when the grey levels show it and no other
// digit is in doubt.
TEST(EAN, ReadHarderDigitsMustFitTheGreyLevels) {
    const auto runs = [](const char* data) { return ZintRuns(BARCODE_EANX, data, 11, 9); };
    auto read = [](const std::vector<double>& edges,
                   std::vector<double> grey) -> std::optional<std::string> {
        auto laser = MakeLaser();
        LoadRuns(*laser, Scaled(edges, 3));
        int n = 0;
        bool bar = false;
        for (double modules : grey) {
            for (int k = 0; k < int(3 * modules); ++k) laser->samples[n++] = bar ? 250 : 900;
            bar = !bar;
        }
        laser->samplesTaken = n;
        laser->rules = kRulesSecondLook;
        const InstancePtr instance(NewInstance(nullptr, nullptr, NullVideoHooks()));
        if (!DecodeBarsEAN13(DecodeOptionsOf(instance.get()), laser.get())) return std::nullopt;
        return laser->text.ToString();
    };
    const std::vector<double> printed = runs("978020175284");
    EXPECT_EQ(read(runs("418420275284"), printed), std::nullopt);
    EXPECT_EQ(read(printed, printed), "9780201752847");
    std::vector<double> barInQuietZone = printed;
    barInQuietZone[0] = 2.5;
    barInQuietZone.insert(barInQuietZone.begin(), {7, 1.5});
    EXPECT_EQ(read(printed, barInQuietZone), std::nullopt);
    // The first right digit, a 7 (bar 1, space 3, bar 1, space 2), with its
    // lone bars thinned; grey levels of a 1 there, or of a 4 for the 5 after it.
    std::vector<double> loose = printed, showOne = printed, showFour = printed;
    std::copy_n(std::vector<double>{0.5, 3.4, 0.9, 2.2}.begin(), 4, loose.begin() + 33);
    std::copy_n(std::vector<double>{2, 2, 2, 1}.begin(), 4, showOne.begin() + 33);
    std::copy_n(std::vector<double>{1, 1, 3, 2}.begin(), 4, showFour.begin() + 37);
    EXPECT_EQ(read(loose, printed), "9780201752847");
    EXPECT_EQ(read(printed, showFour), "9780201752847"); // one digit in doubt
    EXPECT_EQ(read(loose, showOne), std::nullopt);
    EXPECT_EQ(read(loose, showFour), std::nullopt);
}

TEST(EAN, RunTablesAtTheLimitsOfTheRules) {
    const std::optional<std::string> none, ean13 = "ean1:4006381333931";
    const std::vector<double> upca = ZintRuns(BARCODE_UPCA, "01234567890", 11, 7);
    const std::vector<double> ean8 = ZintRuns(BARCODE_EANX, "9638507", 9, 9);
    const RunCase cases[] = {
        {"as printed", Decoder::EAN13, Ean13(), ean13},
        {"trailing quiet zone as the laser's last run", Decoder::EAN13, Ean13(11, 9), ean13},
        {"trailing quiet zone of 5 modules", Decoder::EAN13, Ean13(11, 5), none},
        {"leading quiet zone of 5 modules", Decoder::EAN13, Ean13(5, 9), none},
        // Two right-half digits swapped: 4006381333391 fails its check digit.
        {"wrong check digit", Decoder::EAN13,
         Changed(Ean13(), [](auto& r) { std::swap_ranges(&r[45], &r[49], &r[49]); }), none},
        // Its pattern falls below the score threshold.
        {"a bar of the fourth digit 1.5 modules wider", Decoder::EAN13,
         Changed(Ean13(), [](auto& r) { r[18] += 1.5; }), none},
        // A digit scaled as a whole: its own edges still match, but it is no
        // longer 7 of the symbol's modules.
        {"the fourth digit 1.1 times as wide", Decoder::EAN13, DigitScaled(Ean13(), 3, 1.1), ean13},
        {"the fourth digit 1.3 times as wide", Decoder::EAN13, DigitScaled(Ean13(), 3, 1.3), none},
        // The bars alike, but 2 modules apart no longer: a laser entering
        // the bars from their side sees this.
        {"start guard's space of 4 modules", Decoder::EAN13,
         Changed(Ean13(), [](auto& r) { r[2] = 4; }), none},
        {"quiet zone of 5.5 modules though six times the thinned guard bar", Decoder::EAN13,
         Changed(Ean13(5.5, 7), [](auto& r) { r[1] = r[3] = 0.9, r[2] = 1.1; }), none},
        {"quiet zone of 6 modules before the thinned guard bar", Decoder::EAN13,
         Changed(Ean13(6, 7), [](auto& r) { r[1] = r[3] = 0.9, r[2] = 1.1; }), ean13},
        // The six left digits of a UPC-A (first digit 0: all odd) turned
        // even: a parity pattern that no first digit has.
        {"all left parities even", Decoder::EAN13, ParitiesTurned(upca, 4, 6), none},

        // The switches: UPC-A is read with 13 digits while EAN-13 is on,
        // whatever its own switch, else with its 12; so is a UPC-E's expansion.
        {"UPC-A", Decoder::EAN13, upca, "upca:0012345678905"},
        {"UPC-A with EAN-13 off", Decoder::EAN13, upca, "upca:012345678905", kEan13Off},
        {"UPC-A with its switch off", Decoder::EAN13, upca, "upca:0012345678905", kUpcaOff},
        {"EAN-13 with EAN-13 off", Decoder::EAN13, Ean13(), none, kEan13Off},
        {"UPC-E with EAN-13 off", Decoder::UPCE, UpcE(), "upce:012345000058", kEan13Off},

        // 4 + 4 k is the first run of left digit k; an EAN-8 has no even left digit.
        {"EAN-8 as printed", Decoder::EAN8, ean8, "ean8:96385074"},
        {"EAN-8 with even left digits", Decoder::EAN8, ParitiesTurned(ean8, 4, 4), none},
        // Right digits 1 and 2 swapped: 96385704 fails its check digit.
        {"EAN-8 with a wrong check digit", Decoder::EAN8,
         Changed(ean8, [](auto& r) { std::swap_ranges(&r[29], &r[33], &r[33]); }), none},

        {"UPC-E as printed", Decoder::UPCE, UpcE(), "upce:0012345000058"},
        {"UPC-E trailing quiet zone of 6.5", Decoder::UPCE, UpcE(6.5), "upce:0012345000058"},
        {"UPC-E trailing quiet zone of 5", Decoder::UPCE, UpcE(5), none},
        // At 0.9 samples a module every guard bar truncates to zero: nothing
        // is read however the digits happen to match.
        {"UPC-E at 0.9 samples a module", Decoder::UPCE, UpcE(), none, {}, 0.9},
        // All six parities swapped say number system 1 with the same check
        // digit, which no longer fits the expansion.
        {"UPC-E with every parity swapped", Decoder::UPCE, ParitiesTurned(UpcE(), 4, 6), none},

        // Add-ons: ignored, required or optional.
        {"two-digit add-on ignored", Decoder::EAN13, Ean13(11, 7, "12"), ean13},
        {"two-digit add-on", Decoder::EAN13, Ean13(11, 7, "12"), "ean1:4006381333931 12",
         kRequired},
        {"no add-on where one is required", Decoder::EAN13, Ean13(), none, kRequired},
        {"no add-on where one is optional", Decoder::EAN13, Ean13(), ean13, kOptional},
        {"five-digit add-on, optional", Decoder::EAN13, Ean13(11, 7, "54321"),
         "ean1:4006381333931 54321", kOptional},
        {"a bar right after a five-digit add-on", Decoder::EAN13,
         Then(Ean13(11, 0, "54321"), {1, 1, 7}), "ean1:4006381333931 54321", kRequired},
        {"a bar right after a two-digit add-on", Decoder::EAN13,
         Then(Ean13(11, 0, "34"), {2, 2, 7}), none, kRequired},
        {"the add-on's first digit in the wrong parity", Decoder::EAN13,
         ParitiesTurned(Ean13(11, 7, "12"), 64, 1), none, kRequired},
        // Its bars are in view but do not read: the number alone is not the
        // code on the label.
        {"an add-on that does not read, optional", Decoder::EAN13,
         ParitiesTurned(Ean13(11, 7, "12"), 64, 1), none, kOptional},
        // The frame's border ends an add-on only after 3 of its modules of
        // space (bars cut there leave at most a delineator's one), and
        // never right after a fifth digit, which may be cut.
        {"a two-digit add-on 3 modules before the border", Decoder::EAN13,
         Then(Ean13(11, 0, "12"), {3}), "ean1:4006381333931 12", kRequiredAtBorder},
        {"a two-digit add-on 1 module before the border", Decoder::EAN13,
         Then(Ean13(11, 0, "12"), {1}), none, kRequiredAtBorder},
        {"a five-digit add-on 1 module before the border", Decoder::EAN13,
         Then(Ean13(11, 0, "54321"), {1}), none, kRequiredAtBorder},
    };
    for (const RunCase& c : cases) EXPECT_EQ(Read(c), c.want) << c.why;

    // One, three or four digits are never an add-on.
    for (std::size_t digits : {1u, 3u, 4u}) {
        auto cut = Ean13(11, 7, "34567");
        cut.resize(62 + 6 * digits);
        cut.push_back(9);
        EXPECT_EQ(Read({"", Decoder::EAN13, cut, none, kRequired}), none) << digits << " digits";
    }
    // Left-half parities that no first digit has, and a UPC-E parity that
    // no check digit has.
    for (int pattern : {1, 63, 32}) EXPECT_EQ(DigitFromParityEncoding(pattern), '-') << pattern;
    char ns, check;
    CheckDigitAndNumberSystemFromParityEncoding(32, &ns, &check);
    EXPECT_EQ(check, '-');
}
