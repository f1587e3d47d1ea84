// EAN-13, UPC-A and EAN-8. No module width is estimated for the symbol:
// every digit is normalised by its own width (7 modules) and recognised by
// three edge-to-similar-edge distances, which survive the ink spread that
// shifts single bar widths. Guards are only tested for alike widths and
// quiet zones against a multiple of the neighbouring bar.
#include "symbologies/decoders.h"

#include "symbologies/approx.h"
#include "symbologies/ean_digits.h"
#include "symbologies/ean_proportions.h"
#include "symbologies/laser_record.h"
#include "symbologies/reading_rules.h"
#include "symbologies/symbology_codes.h"

#include <array>

namespace {

constexpr double kQuietZoneRatio = 6.0; // quiet zone against the neighbouring guard bar
// EAN-13 layout from the leading quiet zone q.
constexpr int kEAN13MiddleBar = 29;
constexpr int kEAN13EndGuard = 57;
constexpr int kEAN13TrailingQuiet = 60;
// EAN-8 layout.
constexpr int kEAN8MiddleBar = 21;
constexpr int kEAN8EndGuard = 41;
constexpr int kEAN8TrailingQuiet = 44;

inline double P(const Laser* laser, int k) {
    return laser->elements[k].start;
}
inline double W(const Laser* laser, int k) {
    return laser->elements[k].width;
}

// The quiet zone at q, the start guard after it, and a middle guard whose
// bars are at m and m + 2; the end guard's bars at e and e + 2 with the
// trailing quiet zone at t.
bool GuardsFit(const Laser* laser, int q, int m, int e, int t) {
    if (laser->elements[q].isBar || !IsQuietZone(laser, q, kQuietZoneRatio * W(laser, q + 1)))
        return false;
    if (!Approx(W(laser, q + 1), W(laser, q + 3))) return false;
    if (!Approx(W(laser, q + m), W(laser, q + m + 2))) return false;
    if (!IsQuietZone(laser, q + t, kQuietZoneRatio * W(laser, q + e))) return false;
    return Approx(W(laser, q + e), W(laser, q + e + 2));
}

// Bars that look like an add-on after the trailing quiet zone t of a symbol
// of this module width: a gap of about 7 to 12 modules, then at least five
// bars and spaces of 1 to 4 modules each. A symbol whose add-on is in view
// but does not read is not delivered without it when add-ons are optional:
// its number alone is not the code on the label.
bool AddOnShown(const Laser* laser, int t, double module) {
    constexpr int kElements = 10;
    const double gap = W(laser, t) / module;
    if (gap < 4.0 || gap > 14.0 || t + kElements >= laser->elementCount) return false;
    for (int k = t + 1; k <= t + kElements; ++k) {
        const double w = W(laser, k) / module;
        if (w < 0.4 || w > 4.5) return false;
    }
    return true;
}

} // namespace

bool VerifyChecksumEAN8(const Str255& text) {
    int sum = 0;
    for (int p = 1; p <= 7; ++p) sum += (text[p] - '0') * (p % 2 ? 3 : 1);
    return (10 - sum % 10) % 10 == text[8] - '0';
}

bool DecodeBarsEAN13(const DecodeOptions& options, Laser* laser) {
    for (int q = 0; q + kEAN13TrailingQuiet < laser->elementCount; ++q) {
        if (!GuardsFit(laser, q, kEAN13MiddleBar, kEAN13EndGuard, kEAN13TrailingQuiet)) continue;
        const std::array<int, 12> digits = {q + 4,  q + 8,  q + 12, q + 16, q + 20, q + 24,
                                            q + 33, q + 37, q + 41, q + 45, q + 49, q + 53};
        const std::array<int, 4> guards = {q + 1, q + kEAN13MiddleBar, q + kEAN13MiddleBar - 1,
                                           q + kEAN13EndGuard};
        if (!ean::ProportionsFit(laser, digits, guards, q, q + kEAN13TrailingQuiet)) continue;

        std::int32_t pattern = 0;
        if (!DetectSixLeftDigits(laser, q + 4, &pattern)) continue;
        if (!options.enableEAN13 && pattern != 0) continue; // only UPC-A wanted

        char first = DigitFromParityEncoding(pattern);
        if (first == '-') continue;
        laser->text[1] = static_cast<unsigned char>(first);

        laser->lastSpaceWidth = 1;
        bool ok = true;
        for (int j = 1; j <= 6 && ok; ++j) ok = DetectRightDigit(laser, q + 29 + 4 * j, j + 7);
        if (!ok || !VerifyChecksumEAN13(laser->text)) continue;
        if (LeftGreyMisfits(laser, q + 4, laser->text, 6, 2, pattern) +
                    RightGreyMisfits(laser, q + 33, laser->text, 6, 8) >
                kMaxGreyMisfits ||
            !QuietZonesGreyFit(laser, q, q + kEAN13TrailingQuiet, 95))
            continue;

        std::int32_t added = 0;
        if (options.supplementMode != kSupplementIgnore &&
            !DecodeExtension(laser, q + kEAN13TrailingQuiet, &added)) {
            if (options.supplementMode == kSupplementRequire) continue;
            const double module = (P(laser, q + kEAN13TrailingQuiet) - P(laser, q + 1)) / 95.0;
            if (AddOnShown(laser, q + kEAN13TrailingQuiet, module)) continue;
            added = 0;
        }

        laser->symbology = pattern ? kSymbologyEAN13 : kSymbologyUPCA;
        laser->text.SetLength(13 + added);
        if (laser->symbology == kSymbologyUPCA && !options.enableEAN13) {
            // The 12-digit UPC-A number: drop the leading "0".
            for (int p = 1; p < 13 + added; ++p) laser->text[p] = laser->text[p + 1];
            laser->text.SetLength(12 + added);
        }
        return true;
    }
    return false;
}

bool DecodeBarsEAN8(Laser* laser) {
    for (int q = 0; q + kEAN8TrailingQuiet < laser->elementCount; ++q) {
        if (!GuardsFit(laser, q, kEAN8MiddleBar, kEAN8EndGuard, kEAN8TrailingQuiet)) continue;
        const std::array<int, 8> digits = {q + 4,  q + 8,  q + 12, q + 16,
                                           q + 25, q + 29, q + 33, q + 37};
        const std::array<int, 4> guards = {q + 1, q + kEAN8MiddleBar, q + kEAN8MiddleBar - 1,
                                           q + kEAN8EndGuard};
        if (!ean::ProportionsFit(laser, digits, guards, q, q + kEAN8TrailingQuiet)) continue;

        // Only odd parity in the left half: an EAN-8 read backwards turns
        // into even-parity patterns and would otherwise pass as another
        // number whenever its check digit happens to fit.
        laser->lastBarWidth = 1;
        bool ok = true;
        for (int j = 1; j <= 4 && ok; ++j) {
            std::uint8_t even = 0;
            ok = DetectLeftDigitAndParity(laser, q + 4 * j, &even, j) && !even;
        }
        if (!ok) continue;

        laser->lastSpaceWidth = 1;
        for (int j = 1; j <= 4 && ok; ++j) ok = DetectRightDigit(laser, q + 21 + 4 * j, j + 4);
        if (!ok || !VerifyChecksumEAN8(laser->text)) continue;
        if (LeftGreyMisfits(laser, q + 4, laser->text, 4, 1, 0) +
                    RightGreyMisfits(laser, q + 25, laser->text, 4, 5) >
                kMaxGreyMisfits ||
            !QuietZonesGreyFit(laser, q, q + kEAN8TrailingQuiet, 67))
            continue;

        laser->text.SetLength(8);
        laser->symbology = kSymbologyEAN8;
        return true;
    }
    return false;
}
