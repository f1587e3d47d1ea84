// UPC-E and the EAN add-ons over hand-built run tables.
#include "ean_patterns.h"
#include "run_tables.h"

#include "engine/scanner_instance.h"
#include "engine/symbology.h"
#include "symbologies/decoders.h"

#include <gtest/gtest.h>

#include <random>

using namespace ean_test;

namespace {

InstancePtr Instance() {
    return InstancePtr(NewInstance(nullptr, nullptr));
}

struct Decoded {
    bool ok;
    OSType symbology;
    std::string text;
};

Decoded Decode(bool (*decode)(const ScannerInstance*, Laser*), const ScannerInstance* instance,
               const std::vector<double>& modules, double samplesPerModule = 3) {
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(modules, samplesPerModule));
    bool ok = decode(instance, laser.get());
    return {ok, laser->symbology, ok ? laser->text.ToString() : ""};
}

// An EAN-13 (or UPC-A) with an add-on 9 modules after its end guard.
std::vector<double> WithAddOn(const std::string& digits, const std::string& addOn,
                              double trailingQuiet = 7) {
    return Runs(EAN13Modules(digits) + "000000000" + AddOnModules(addOn), 11, trailingQuiet);
}

} // namespace

TEST(UPCE, ExpandsToUPCAOrEAN13) {
    auto instance = Instance();
    // Number system 0, digits 123455, check digit 8.
    auto runs = Runs(UPCEModules('0', "123455", '8'), 9, 9);
    Decoded r = Decode(DecodeBarsUPCE, instance.get(), runs);
    EXPECT_EQ(r.symbology, kSymbologyUPCE);
    EXPECT_EQ(r.text, "0012345000058");

    SetBooleanInfo(instance.get(), kKeyEAN13, 0);
    EXPECT_EQ(Decode(DecodeBarsUPCE, instance.get(), runs).text, "012345000058");

    // Number system 1 swaps the parities.
    std::string upca = "1980"
                       "0000"
                       "765"; // NS d1 d2 d6 0000 d3 d4 d5 of 987650
    char check = CheckDigit(upca);
    EXPECT_EQ(
        Decode(DecodeBarsUPCE, instance.get(), Runs(UPCEModules('1', "987650", check), 9, 9)).text,
        upca + check);

    // A wrong check digit changes the parity pattern to another, valid one,
    // but the expansion's own check digit no longer fits.
    char other = check == '9' ? '0' : char(check + 1);
    EXPECT_FALSE(
        Decode(DecodeBarsUPCE, instance.get(), Runs(UPCEModules('1', "987650", other), 9, 9)).ok);
}

TEST(UPCE, ExpansionRules) {
    struct Case {
        const char* upce; // NS, six digits, check
        const char* upca;
    } table[] = {
        {"01230005", "012000003005"}, // d6 0-2: NS d1 d2 d6 0000 d3 d4 d5 C
        {"04567134", "045600000714"}, // d6 3:   NS d1 d2 d3 00000 d4 d5 C
        {"04567848", "045670000088"}, // d6 4:   NS d1 d2 d3 d4 00000 d5 C
        {"01234558", "012345000058"}, // d6 5-9: NS d1 d2 d3 d4 d5 0000 d6 C
    };
    for (const Case& c : table) {
        Str255 out;
        ExpandUPCE(Str255::From(c.upce), out, kSymbologyUPCA);
        EXPECT_EQ(out.ToString(), c.upca) << c.upce;
        Str255 same = Str255::From(c.upce);
        ExpandUPCE(same, same, kSymbologyEAN13);
        EXPECT_EQ(same.ToString(), std::string("0") + c.upca) << c.upce;
    }

    char ns, check;
    CheckDigitAndNumberSystemFromParityEncoding(56, &ns, &check); // GGGLLL
    EXPECT_EQ(ns, '0');
    EXPECT_EQ(check, '0');
    CheckDigitAndNumberSystemFromParityEncoding(7, &ns, &check); // LLLGGG
    EXPECT_EQ(ns, '1');
    EXPECT_EQ(check, '0');
    CheckDigitAndNumberSystemFromParityEncoding(32, &ns, &check); // no check digit has it
    EXPECT_EQ(ns, '1');
    EXPECT_EQ(check, '-');
}

TEST(UPCE, TrailingQuietZoneMayBeTheLastRun) {
    auto instance = Instance();
    EXPECT_TRUE(
        Decode(DecodeBarsUPCE, instance.get(), Runs(UPCEModules('0', "123455", '8'), 9, 6.5)).ok);
    EXPECT_FALSE(
        Decode(DecodeBarsUPCE, instance.get(), Runs(UPCEModules('0', "123455", '8'), 9, 5)).ok);
}

TEST(UPCE, GuardBarsNarrowerThanOneSampleRejectTheStart) {
    auto instance = Instance();
    // At 0.9 samples per module every single-module guard bar truncates to
    // zero; nothing must be read however the digits happen to match.
    auto runs = Runs(UPCEModules('0', "123455", '8'), 9, 9);
    EXPECT_FALSE(Decode(DecodeBarsUPCE, instance.get(), runs, 0.9).ok);

    // EAN-13 symbols at under two samples a module (finer than one sample
    // where guard bars truncate to zero), read forwards and backwards, never
    // come out as UPC-E.
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> scale(0.4, 2.0), jitter(-0.1, 0.1);
    int reads = 0;
    for (int n = 0; n < 5000; ++n) {
        std::string digits;
        for (int i = 0; i < 12; ++i) digits += char('0' + rng() % 10);
        auto runs13 = Runs(EAN13Modules(digits + CheckDigit(digits)));
        if (n % 2) runs13 = Reversed(runs13);
        double s = scale(rng);
        for (double& w : runs13) w *= s * (1 + jitter(rng));
        auto laser = MakeLaser();
        LoadRuns(*laser, runs13);
        if (DecodeBarsUPCE(instance.get(), laser.get())) ++reads;
    }
    EXPECT_EQ(reads, 0);
}

TEST(UPCE, ReadBackwardsNeverAnotherNumber) {
    auto instance = Instance();
    std::mt19937 rng(6);
    int read = 0, wrong = 0;
    for (int n = 0; n < 20000; ++n) {
        std::string six;
        for (int i = 0; i < 6; ++i) six += char('0' + rng() % 10);
        char ns = n % 2 ? '1' : '0';
        Str255 upce = Str255::From(std::string(1, ns) + six + "0"), upca;
        ExpandUPCE(upce, upca, kSymbologyUPCA);
        std::string digits = upca.ToString().substr(0, 11);
        auto runs = Runs(UPCEModules(ns, six, CheckDigit(digits)), 9, 9);
        if (Decode(DecodeBarsUPCE, instance.get(), runs).ok) ++read;
        Decoded r = Decode(DecodeBarsUPCE, instance.get(), Reversed(runs));
        if (r.ok) ++wrong;
    }
    EXPECT_EQ(read, 20000);
    EXPECT_EQ(wrong, 0);
}

TEST(AddOn, SupplementModes) {
    auto instance = Instance();
    auto five = WithAddOn("4006381333931", "12345");
    auto two = WithAddOn("4006381333931", "12");
    auto none = Runs(EAN13Modules("4006381333931"));

    // Ignored by default.
    EXPECT_EQ(Decode(DecodeBarsEAN13, instance.get(), five).text, "4006381333931");

    SetOSTypeInfo(instance.get(), kKeySupplement, kSupplementOptional);
    EXPECT_EQ(Decode(DecodeBarsEAN13, instance.get(), five).text, "4006381333931 12345");
    EXPECT_EQ(Decode(DecodeBarsEAN13, instance.get(), two).text, "4006381333931 12");
    EXPECT_EQ(Decode(DecodeBarsEAN13, instance.get(), none).text, "4006381333931");

    SetOSTypeInfo(instance.get(), kKeySupplement, kSupplementRequire);
    EXPECT_EQ(Decode(DecodeBarsEAN13, instance.get(), two).text, "4006381333931 12");
    EXPECT_FALSE(Decode(DecodeBarsEAN13, instance.get(), none).ok);

    // A UPC-A with EAN-13 off: the add-on moves down with the digits.
    SetBooleanInfo(instance.get(), kKeyEAN13, 0);
    Decoded r = Decode(DecodeBarsEAN13, instance.get(), WithAddOn("0012345678905", "07"));
    EXPECT_EQ(r.symbology, kSymbologyUPCA);
    EXPECT_EQ(r.text, "012345678905 07");
}

TEST(AddOn, DigitCountsAndQuietZones) {
    auto instance = Instance();
    SetOSTypeInfo(instance.get(), kKeySupplement, kSupplementRequire);
    const std::string main = EAN13Modules("4006381333931") + "000000000";

    // A bar right after a five-digit add-on does not matter.
    auto crowded = Runs(main + AddOnModules("54321") + "01", 11, 7);
    EXPECT_EQ(Decode(DecodeBarsEAN13, instance.get(), crowded).text, "4006381333931 54321");

    // A two-digit add-on needs its quiet zone right after the second digit.
    auto noQuiet = Runs(main + AddOnModules("34") + "0011", 11, 7);
    EXPECT_FALSE(Decode(DecodeBarsEAN13, instance.get(), noQuiet).ok);

    // One, three or four digits (parity as a five-digit add-on would have it)
    // are never an add-on.
    for (std::string digits : {"3", "345", "3456"}) {
        std::string m = "1011";
        for (std::size_t i = 0; i < digits.size(); ++i)
            m += (i ? "01" : "") + std::string(kL[D(digits[i])]);
        EXPECT_FALSE(Decode(DecodeBarsEAN13, instance.get(), Runs(main + m, 11, 9)).ok) << digits;
    }

    // Wrong parity for the value: no add-on.
    std::string bad = "1011" + std::string(kG[1]) + "01" + kL[2]; // 12 mod 4 = 0 wants LL
    EXPECT_FALSE(Decode(DecodeBarsEAN13, instance.get(), Runs(main + bad, 11, 9)).ok);
}
