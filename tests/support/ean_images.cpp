#include "tests/support/ean_images.h"

#include "tests/support/expected_text.h"
#include "tests/support/image_case.h"

#include "engine/scanner_instance.h"
#include "engine/symbology.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

constexpr const char* kKindNames[] = {"EAN13", "UPCA", "EAN8", "UPCE"};
constexpr int kCasesPerTable = 30;
constexpr int kTables = 12; // four kinds, three add-on choices

struct EanSymbol {
    int zintSymbology = 0;
    std::string zintData; // what libzint is given
    std::string number;   // with check digit: 13, 12 (UPC-A and expanded UPC-E) or 8 digits
    std::string printed;  // as printed under the symbol (UPC-E: its eight digits)
    std::string addOn;    // empty, 2 or 5 digits
};

EanSymbol DrawSymbol(EanKind kind, int addOnDigits, TestRandom& random) {
    EanSymbol s;
    std::string payload;
    switch (kind) {
    case EanKind::EAN13:
        payload = std::string(1, char('1' + random.Int(0, 8))) + RandomDigits(random, 11);
        break;
    case EanKind::UPCA:
        payload = RandomDigits(random, 11);
        break;
    case EanKind::EAN8:
        payload = RandomDigits(random, 7);
        break;
    case EanKind::UPCE:
        payload = RandomUpcE(random);
        break;
    }
    s.zintSymbology = kind == EanKind::UPCA   ? BARCODE_UPCA
                      : kind == EanKind::UPCE ? BARCODE_UPCE
                                              : BARCODE_EANX;
    if (kind == EanKind::UPCE) {
        std::string upca = ExpandUpcE(payload);
        s.number = upca + EanCheckDigit(upca);
        s.printed = payload + s.number.back();
    } else {
        s.number = s.printed = payload + EanCheckDigit(payload);
    }
    s.addOn = RandomDigits(random, addOnDigits);
    s.zintData = payload + (s.addOn.empty() ? "" : "+" + s.addOn);
    return s;
}

struct Setting {
    bool ean13 = true;
    OSType supplement = kSupplementIgnore;
    const char* name = "";
};

constexpr Setting kSettings[] = {
    {true, kSupplementIgnore, "EAN-13 on, add-ons ignored"},
    {true, kSupplementRequire, "EAN-13 on, add-ons required"},
    {true, kSupplementOptional, "EAN-13 on, add-ons optional"},
    {false, kSupplementIgnore, "EAN-13 off, add-ons ignored"},
    {false, kSupplementRequire, "EAN-13 off, add-ons required"},
    {false, kSupplementOptional, "EAN-13 off, add-ons optional"},
};

// The read the settings prescribe ("" for none): with add-ons optional, a
// symbol that carries one is never delivered without it.
std::string ExpectedRead(EanKind kind, const EanSymbol& s, const Setting& setting) {
    const bool withAddOn = setting.supplement != kSupplementIgnore && !s.addOn.empty();
    const std::string addOn = withAddOn ? " " + s.addOn : "";
    const std::string zero = setting.ean13 ? "0" : "";
    const bool addOnMissing = setting.supplement == kSupplementRequire && s.addOn.empty();
    switch (kind) {
    case EanKind::EAN13:
        if (!setting.ean13 || addOnMissing) return "";
        return Describe({{s.number + addOn, kSymbologyEAN13, 0}});
    case EanKind::UPCA:
        if (addOnMissing) return "";
        return Describe({{zero + s.number + addOn, kSymbologyUPCA, 0}});
    case EanKind::EAN8:
        return Describe({{s.number, kSymbologyEAN8, 0}});
    case EanKind::UPCE:
        return Describe({{zero + s.number, kSymbologyUPCE, 0}});
    }
    return "";
}

std::string Reads(std::vector<ScanRead> reads) {
    for (ScanRead& r : reads) r.frame = 0;
    return reads.empty() ? "" : Describe(reads);
}

} // namespace

std::string RandomDigits(TestRandom& random, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += char('0' + random.Int(0, 9));
    return s;
}

std::string RandomUpcE(TestRandom& random) {
    std::string payload;
    do {
        payload = std::string(1, char('0' + random.Int(0, 1))) + RandomDigits(random, 6);
    } while (!IsCanonicalUpcE(payload));
    return payload;
}

void ExpectEanReadsUnderEachSetting(EanKind kind, int addOnDigits) {
    const int table = int(kind) * 3 + (addOnDigits == 0 ? 0 : addOnDigits == 2 ? 1 : 2);
    const char* name = kKindNames[int(kind)];
    for (int i = 0; i < kCasesPerTable; ++i) {
        std::uint64_t seed = CaseSeed(100 + std::uint64_t(table), i);
        TestRandom random(seed);
        EanSymbol symbol = DrawSymbol(kind, addOnDigits, random);
        // The cases of all tables together step through the circle by 2 degrees.
        double slot = 360.0 / (kCasesPerTable * kTables);
        double angle =
            std::fmod(i * 360.0 / kCasesPerTable + table * slot + random.Uniform(0, slot), 360.0);
        // EAN-8 labels leave 7 to 12 modules before an add-on. At libzint's 7
        // the heaviest blur here widens the end guard's bar past a sixth of
        // the gap and the symbol is not read (never misread); 9 is typical.
        const int addOnGap = kind == EanKind::EAN8 && addOnDigits ? 9 : 0;
        BarPattern pattern =
            EncodeBars(symbol.zintSymbology, symbol.zintData, {.addOnGap = addOnGap});
        ASSERT_TRUE(pattern.Ok()) << symbol.zintData << ": " << pattern.error;
        ASSERT_EQ(pattern.encodedText,
                  symbol.printed + (symbol.addOn.empty() ? "" : "+" + symbol.addOn))
            << "libzint and the standard disagree on the check digit";
        RenderOptions options = DrawConditions(seed, pattern, angle);
        options.addOnGap = addOnGap;
        RenderedSymbol rendered = RenderSymbol(symbol.zintSymbology, symbol.zintData, options);
        SCOPED_TRACE(std::string(name) + " " + symbol.zintData + " " + Describe(seed, options));

        for (const Setting& setting : kSettings) {
            SCOPED_TRACE(setting.name);
            ScanHarness harness;
            harness.SetBoolean(kKeyEAN13, setting.ean13);
            harness.SetSupplementMode(setting.supplement);
            std::string got = Reads(harness.RunUntilRead(rendered.frame, kFramesPerTurn));
            std::string want = ExpectedRead(kind, symbol, setting);
            EXPECT_EQ(got, want);
            if (got != want)
                DumpFrame(rendered.frame, std::string(name) + "_" + std::to_string(seed));
        }
    }
}
