// Damaged symbols of all eight symbologies: one bar erased along its whole
// height, or one symbol character smudged over. With all eight symbologies
// enabled and the symbol in view for two turns of the patterns, none of
// them may be delivered: not as itself and not as anything else.
#include "expected_text.h"
#include "image_case.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int kFramesShown = 2 * kFramesPerTurn; // long enough for a confirmation
constexpr int kCasesPerDamage = 10;
constexpr double kWideRatio = 3.0;

struct DamageParam {
    const char* name;
    int zintSymbology;
    int dataLength;
    const char* alphabet;
    bool smudge; // smudge a character rather than erase a bar
};

std::string RandomData(TestRandom& random, const DamageParam& p) {
    std::string alphabet = p.alphabet, data;
    if (p.zintSymbology == BARCODE_UPCE) {
        do {
            data = std::string(1, "01"[random.Int(0, 1)]);
            while (data.size() < 7) data += char('0' + random.Int(0, 9));
        } while (!IsCanonicalUpcE(data));
        return data;
    }
    if (p.zintSymbology == BARCODE_CODABAR) data += "ABCD"[random.Int(0, 3)];
    while (int(data.size()) < p.dataLength + (p.zintSymbology == BARCODE_CODABAR ? 1 : 0))
        data += alphabet[std::size_t(random.Int(0, int(alphabet.size()) - 1))];
    if (p.zintSymbology == BARCODE_CODABAR) data += "ABCD"[random.Int(0, 3)];
    return data;
}

// Module span of one randomly chosen symbol character (EAN/UPC digits by
// their fixed layout, the others by their runs).
Damage SmudgeOneCharacter(TestRandom& random, const DamageParam& p, const BarPattern& pattern) {
    constexpr double kDigit = 7;
    switch (p.zintSymbology) {
    case BARCODE_UPCE: {
        double start = 3 + kDigit * random.Int(0, 5);
        return Smudge(start, start + kDigit);
    }
    case BARCODE_EANX:
    case BARCODE_UPCA: {
        bool ean8 = p.dataLength == 7;
        int half = ean8 ? 4 : 6, j = random.Int(0, 2 * half - 1);
        double start = j < half ? 3 + kDigit * j : 3 + kDigit * half + 5 + kDigit * (j - half);
        return Smudge(start, start + kDigit);
    }
    case BARCODE_CODE39:
        return SmudgeRuns(pattern, 10 * random.Int(1, p.dataLength), 9);
    case BARCODE_CODABAR:
        return SmudgeRuns(pattern, 8 * random.Int(1, p.dataLength), 7);
    case BARCODE_C25INTER: {
        int pairs = int(RunWidths(pattern).size() - 7) / 10;
        return SmudgeRuns(pattern, 4 + 10 * random.Int(0, pairs - 1), 10);
    }
    default: { // Code 128: a data character, between start and check
        int characters = int(RunWidths(pattern).size() - 7) / 6;
        return SmudgeRuns(pattern, 6 * random.Int(1, characters - 2), 6);
    }
    }
}

void PrintTo(const DamageParam& p, std::ostream* out) {
    *out << p.name;
}

// The text the symbol gives when intact, with all eight symbologies and
// EAN-13 enabled: to tell a read despite the damage from a wrong read.
std::string IntactText(const DamageParam& p, const std::string& data) {
    switch (p.zintSymbology) {
    case BARCODE_EANX:
        return data + EanCheckDigit(data);
    case BARCODE_UPCA:
        return "0" + data + EanCheckDigit(data);
    case BARCODE_UPCE: {
        std::string upca = ExpandUpcE(data);
        return "0" + upca + EanCheckDigit(upca);
    }
    case BARCODE_CODE39:
        return Code39Text(data);
    default:
        return data;
    }
}

class DamagedImages : public testing::TestWithParam<DamageParam> {};

TEST_P(DamagedImages, NoRead) {
    const DamageParam& p = GetParam();
    for (int i = 0; i < kCasesPerDamage; ++i) {
        std::uint64_t seed =
            CaseSeed(std::hash<std::string>{}(p.name) % 1000 + (p.smudge ? 500 : 0), i);
        TestRandom random(seed);
        std::string data = RandomData(random, p);
        double ratio = HasWideRatio(p.zintSymbology) ? kWideRatio : 0;
        BarPattern pattern = EncodeBars(p.zintSymbology, data, {ratio, 0});
        ASSERT_TRUE(pattern.Ok()) << data << ": " << pattern.error;
        double angle = std::fmod(
            i * 360.0 / kCasesPerDamage + random.Uniform(0, 360.0 / kCasesPerDamage), 360.0);
        RenderOptions options = DrawConditions(seed, pattern, angle, ratio);
        Damage damage = p.smudge ? SmudgeOneCharacter(random, p, pattern)
                                 : EraseBar(random.Int(0, int(pattern.bars.size()) - 1));
        options.damage.push_back(damage);
        RenderedSymbol rendered = RenderSymbol(p.zintSymbology, data, options);
        SCOPED_TRACE(std::string(p.name) + " \"" + data + "\" " + Describe(seed, options) +
                     (p.smudge ? " smudged modules " + std::to_string(damage.u0) + ".." +
                                     std::to_string(damage.u1)
                               : " erased bar " + std::to_string(damage.barIndex)));

        // Read as printed, nothing; read harder, the damaged symbol may still
        // give its own text, never another.
        for (bool hard : {false, true}) {
            ScanHarness harness;
            ASSERT_TRUE(harness.Ready());
            harness.SetAllSymbologies(true);
            harness.SetBoolean(kKeyTryHarder, hard);
            std::vector<ScanRead> reads = harness.Run(rendered.frame, kFramesShown);
            bool intact = std::ranges::all_of(
                reads, [&](const ScanRead& r) { return r.text == IntactText(p, data); });
            EXPECT_TRUE(hard ? intact : reads.empty())
                << "hard " << hard << ": " << Describe(reads)
                << (intact ? " (the intact symbol's text)" : " (a wrong read)");
            if (hard ? !intact : !reads.empty())
                DumpFrame(rendered.frame, std::string(p.name) + "_damaged_" + std::to_string(seed));
        }
    }
}

constexpr const char* kDigits = "0123456789";
constexpr const char* kCode39Chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
constexpr const char* kCodabarChars = "0123456789-$:/.+";
constexpr const char* kCode128Chars =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-./ ";

INSTANTIATE_TEST_SUITE_P(
    Symbols, DamagedImages,
    testing::Values(DamageParam{"EAN13_erased", BARCODE_EANX, 12, kDigits, false},
                    DamageParam{"EAN13_smudged", BARCODE_EANX, 12, kDigits, true},
                    DamageParam{"UPCA_erased", BARCODE_UPCA, 11, kDigits, false},
                    DamageParam{"UPCA_smudged", BARCODE_UPCA, 11, kDigits, true},
                    DamageParam{"EAN8_erased", BARCODE_EANX, 7, kDigits, false},
                    DamageParam{"EAN8_smudged", BARCODE_EANX, 7, kDigits, true},
                    DamageParam{"UPCE_erased", BARCODE_UPCE, 7, kDigits, false},
                    DamageParam{"UPCE_smudged", BARCODE_UPCE, 7, kDigits, true},
                    DamageParam{"Code128_erased", BARCODE_CODE128, 8, kCode128Chars, false},
                    DamageParam{"Code128_smudged", BARCODE_CODE128, 8, kCode128Chars, true},
                    DamageParam{"Code39_erased", BARCODE_CODE39, 6, kCode39Chars, false},
                    DamageParam{"Code39_smudged", BARCODE_CODE39, 6, kCode39Chars, true},
                    DamageParam{"Codabar_erased", BARCODE_CODABAR, 6, kCodabarChars, false},
                    DamageParam{"Codabar_smudged", BARCODE_CODABAR, 6, kCodabarChars, true},
                    DamageParam{"Int2of5_erased", BARCODE_C25INTER, 10, kDigits, false},
                    DamageParam{"Int2of5_smudged", BARCODE_C25INTER, 10, kDigits, true}),
    [](const testing::TestParamInfo<DamageParam>& info) { return std::string(info.param.name); });

} // namespace
