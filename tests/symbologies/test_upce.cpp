// UPC-E and the EAN/UPC add-ons: libzint-drawn frames under each setting,
// damaged UPC-E symbols, and run tables for what keeps other symbols from
// reading as UPC-E (reading backwards, guard bars under one sample) and
// for the add-ons' digit counts, parity and quiet zones.
#include "tests/support/ean_images.h"
#include "tests/support/expected_text.h"
#include "tests/support/image_case.h"
#include "tests/support/runs.h"

#include "engine/scanner_instance.h"
#include "engine/symbology.h"
#include "symbologies/decoders.h"

#include <gtest/gtest.h>

#include <random>

namespace {

ScannerInstance* Instance() {
    static const InstancePtr instance(NewInstance(nullptr, nullptr));
    return instance.get();
}

bool DecodeUPCE(Laser* laser) {
    return DecodeBarsUPCE(Instance(), laser);
}
bool DecodeEAN13(Laser* laser) {
    return DecodeBarsEAN13(Instance(), laser);
}

std::optional<std::string> ReadUPCE(const std::vector<double>& modules,
                                    double samplesPerModule = 3) {
    return DecodeModules(DecodeUPCE, kSymbologyUPCE, modules, samplesPerModule);
}

// An EAN-13 (4006381333931) with an add-on 9 modules after its end guard,
// required; 64 + 6 k is the first run of the add-on's digit k.
std::optional<std::string> ReadWithAddOn(const std::vector<double>& modules) {
    SetOSTypeInfo(Instance(), kKeySupplement, kSupplementRequire);
    auto text = DecodeModules(DecodeEAN13, kSymbologyEAN13, modules, 3);
    SetOSTypeInfo(Instance(), kKeySupplement, kSupplementIgnore);
    return text;
}
std::vector<double> WithAddOn(const std::string& addOn, double trailingQuiet = 7) {
    return ZintRuns(BARCODE_EANX, "400638133393+" + addOn, 11, trailingQuiet, {.addOnGap = 9});
}

} // namespace

class EanAddOnImages : public testing::TestWithParam<std::tuple<EanKind, int>> {};

TEST_P(EanAddOnImages, ReadUnderEachSetting) {
    ExpectEanReadsUnderEachSetting(std::get<0>(GetParam()), std::get<1>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(UPCE, EanAddOnImages,
                         testing::Values(std::tuple{EanKind::UPCE, 0}, std::tuple{EanKind::UPCE, 2},
                                         std::tuple{EanKind::UPCE, 5}));
INSTANTIATE_TEST_SUITE_P(AddOns, EanAddOnImages,
                         testing::Combine(testing::Values(EanKind::EAN13, EanKind::UPCA,
                                                          EanKind::EAN8),
                                          testing::Values(2, 5)));

TEST(UPCE, DamagedImagesNeverDelivered) {
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

TEST(UPCE, RunTablesAtTheLimitsOfTheRules) {
    // 0 the leading quiet zone, 1-3 the start guard, 4 + 4 k digit k.
    auto upce = [](double trailingQuiet) {
        return ZintRuns(BARCODE_UPCE, "0123455", 9, trailingQuiet);
    };
    EXPECT_EQ(ReadUPCE(upce(9)), "0012345000058");
    EXPECT_EQ(ReadUPCE(upce(6.5)), "0012345000058");
    EXPECT_EQ(ReadUPCE(upce(5)), std::nullopt);
    // At 0.9 samples a module every guard bar truncates to zero: nothing is
    // read however the digits happen to match.
    EXPECT_EQ(ReadUPCE(upce(9), 0.9), std::nullopt);

    // All six parities swapped say number system 1 with the same check
    // digit, which no longer fits the expansion.
    auto swapped = upce(9);
    for (std::size_t k = 0; k < 6; ++k) swapped = ReversedGroup(swapped, 4 + 4 * k, 4);
    EXPECT_EQ(ReadUPCE(swapped), std::nullopt);

    char ns, check;
    CheckDigitAndNumberSystemFromParityEncoding(32, &ns, &check); // no check digit has it
    EXPECT_EQ(check, '-');
}

TEST(UPCE, EAN13UnderTwoSamplesAModuleNeverReadsAsUPCE) {
    // Finer than one sample a module guard bars truncate to zero; forwards
    // and backwards.
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> scale(0.4, 2.0), jitter(-0.1, 0.1);
    for (int n = 0; n < 5000; ++n) {
        std::string digits;
        for (int i = 0; i < 12; ++i) digits += char('0' + rng() % 10);
        auto runs = ZintRuns(BARCODE_EANX, digits, 11, 7);
        if (n % 2) runs = Reversed(runs);
        double s = scale(rng);
        for (double& w : runs) w *= s * (1 + jitter(rng));
        ASSERT_EQ(DecodeText(DecodeUPCE, kSymbologyUPCE, runs), std::nullopt) << digits;
    }
}

TEST(UPCE, ReadBackwardsNeverAnotherNumber) {
    std::mt19937 rng(6);
    for (int n = 0; n < 20000; ++n) {
        std::string upce(1, n % 2 ? '1' : '0');
        for (int i = 0; i < 6; ++i) upce += char('0' + rng() % 10);
        if (!IsCanonicalUpcE(upce)) continue; // libzint draws only these
        auto runs = ZintRuns(BARCODE_UPCE, upce, 9, 9);
        std::string upca = ExpandUpcE(upce);
        ASSERT_EQ(ReadUPCE(runs), "0" + upca + EanCheckDigit(upca)) << upce;
        ASSERT_EQ(ReadUPCE(Reversed(runs)), std::nullopt) << upce;
    }
}

TEST(AddOn, DigitCountsParityAndQuietZones) {
    EXPECT_EQ(ReadWithAddOn(WithAddOn("12")), "4006381333931 12");
    // A bar right after a five-digit add-on does not matter.
    auto crowded = WithAddOn("54321", 0);
    crowded.insert(crowded.end(), {1, 1, 7});
    EXPECT_EQ(ReadWithAddOn(crowded), "4006381333931 54321");

    // A two-digit add-on needs its quiet zone right after the second digit.
    auto noQuiet = WithAddOn("34", 0);
    noQuiet.insert(noQuiet.end(), {2, 2, 7});
    EXPECT_EQ(ReadWithAddOn(noQuiet), std::nullopt);

    // One, three or four digits are never an add-on.
    for (std::size_t digits : {1u, 3u, 4u}) {
        auto cut = WithAddOn("34567");
        cut.resize(62 + 6 * digits);
        cut.push_back(9);
        EXPECT_EQ(ReadWithAddOn(cut), std::nullopt) << digits << " digits";
    }

    // The first digit's parity turned: wrong for the value.
    EXPECT_EQ(ReadWithAddOn(ReversedGroup(WithAddOn("12"), 64, 4)), std::nullopt);
}
