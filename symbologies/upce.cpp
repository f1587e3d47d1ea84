// UPC-E, the zero-suppressed six-digit form of UPC-A, reported as its
// expansion; and the two- and five-digit add-ons that may follow an EAN-13
// or UPC-A symbol. Both reuse the left-half digit matcher of EAN.
#include "symbologies/decoders.h"

#include "symbologies/approx.h"
#include "symbologies/ean_proportions.h"
#include "symbologies/ean_tables.h"
#include "symbologies/laser_record.h"
#include "symbologies/reading_rules.h"
#include "symbologies/symbology_codes.h"

#include <array>

namespace {

constexpr int kQuietZoneRatio = 6;
constexpr double kAddOnQuietZoneRatio = 6.0;
constexpr double kMinBorderQuietModules = 3.0;

// UPC-E layout from the leading quiet zone q.
constexpr int kEndGuard = 29; // bars at +29, +31, +33
constexpr int kTrailingQuiet = 34;

// Add-on layout from the gap g after the main symbol.
constexpr int kAddOnLastEntry = 14;  // at least the guard and two digits
constexpr int kAddOnDigitStride = 6; // a digit and its delineator

// Widths in whole samples: UPC-E's guards are tested on truncated widths.
inline int WholeWidth(const Laser* laser, int k) {
    return int(laser->elements[k].width);
}
inline double W(const Laser* laser, int k) {
    return laser->elements[k].width;
}

bool GuardsFit(const Laser* laser, int q) {
    if (laser->elements[q].isBar) return false;
    int quiet = WholeWidth(laser, q), trailing = WholeWidth(laser, q + kTrailingQuiet);
    int start1 = WholeWidth(laser, q + 1), start2 = WholeWidth(laser, q + 3);
    int end1 = WholeWidth(laser, q + kEndGuard), end2 = WholeWidth(laser, q + kEndGuard + 2),
        end3 = WholeWidth(laser, q + kEndGuard + 4);
    // A guard bar narrower than one sample truncates to 0, against which any
    // gap is a quiet zone and Approx(0, 0) holds: such bars belong to some
    // finer symbol, not to this one.
    if (start1 == 0 || start2 == 0 || end1 == 0 || end2 == 0 || end3 == 0) return false;
    const bool leadingAtBorder = IsQuietZone(laser, q, 1e300);
    const bool trailingAtBorder = IsQuietZone(laser, q + kTrailingQuiet, 1e300);
    if ((quiet < kQuietZoneRatio * start1 && !leadingAtBorder) || !Approx(start1, start2))
        return false;
    if (trailing < kQuietZoneRatio * end1 && !trailingAtBorder) return false;
    return Approx(end1, end2) && Approx(end2, end3);
}

// The add-on's own quiet zone, however the laser is read, when the frame's
// border ends it: the space between the digit from entry f and the border
// is at least kMinBorderQuietModules of its modules wide. Bars cut by the
// border leave at most a delineator's space of one module before it, and
// read as another add-on, which a check value of 2 bits or a parity
// pattern cannot tell.
bool AddOnEndsBeforeBorder(const Laser* laser, int f) {
    const double module = (laser->elements[f + 4].start - laser->elements[f].start) / 7.0;
    return W(laser, f + 4) >= kMinBorderQuietModules * module;
}

} // namespace

void CheckDigitAndNumberSystemFromParityEncoding(std::int32_t pattern, char* numberSystem,
                                                 char* checkDigit) {
    if (pattern > 32) {
        *numberSystem = '0';
        pattern = 63 - pattern;
    } else {
        *numberSystem = '1';
    }
    *checkDigit = '-';
    for (int d = 0; d < 10; ++d)
        if (ean::upceCheckParity[d] == pattern) *checkDigit = char('0' + d);
}

void ExpandUPCE(const Str255& source, Str255& destination, std::uint32_t form) {
    const char ns = char(source[1]), c = char(source[8]);
    const char d1 = char(source[2]), d2 = char(source[3]), d3 = char(source[4]),
               d4 = char(source[5]), d5 = char(source[6]), d6 = char(source[7]);
    std::array<char, 12> upca;
    switch (d6) {
    case '0':
    case '1':
    case '2':
        upca = {ns, d1, d2, d6, '0', '0', '0', '0', d3, d4, d5, c};
        break;
    case '3':
        upca = {ns, d1, d2, d3, '0', '0', '0', '0', '0', d4, d5, c};
        break;
    case '4':
        upca = {ns, d1, d2, d3, d4, '0', '0', '0', '0', '0', d5, c};
        break;
    default:
        upca = {ns, d1, d2, d3, d4, d5, '0', '0', '0', '0', d6, c};
        break;
    }
    Str255 result;
    int n = 0;
    if (form == kSymbologyEAN13) result[++n] = '0';
    for (char ch : upca) result[++n] = static_cast<unsigned char>(ch);
    result.SetLength(n);
    destination = result;
}

bool DecodeBarsUPCE(const DecodeOptions& options, Laser* laser) {
    for (int q = 0; q + kTrailingQuiet < laser->elementCount; ++q) {
        if (!GuardsFit(laser, q)) continue;
        const std::array<int, 6> digits = {q + 4, q + 8, q + 12, q + 16, q + 20, q + 24};
        const std::array<int, 4> guards = {q + 1, q + kEndGuard - 1, q + kEndGuard,
                                           q + kEndGuard + 2};
        if (!ean::ProportionsFit(laser, digits, guards, q, q + kTrailingQuiet)) continue;

        std::int32_t pattern = 0;
        if (!DetectSixLeftDigits(laser, q + 4, &pattern)) continue;
        if (LeftGreyMisfits(laser, q + 4, laser->text, 6, 2, pattern) > 1 ||
            !QuietZonesGreyFit(laser, q, q + kTrailingQuiet, 51))
            continue;

        char numberSystem, check;
        CheckDigitAndNumberSystemFromParityEncoding(pattern, &numberSystem, &check);
        if (check == '-') continue;
        laser->text[1] = static_cast<unsigned char>(numberSystem);
        laser->text[8] = static_cast<unsigned char>(check);

        Str255 expanded;
        ExpandUPCE(laser->text, expanded, kSymbologyEAN13);
        if (!VerifyChecksumEAN13(expanded)) continue;

        laser->symbology = kSymbologyUPCE;
        laser->text.SetLength(8);
        ExpandUPCE(laser->text, laser->text,
                   options.enableEAN13 ? kSymbologyEAN13 : kSymbologyUPCA);
        return true;
    }
    return false;
}

bool DecodeExtension(Laser* laser, std::int32_t g, std::int32_t* count) {
    if (g + kAddOnLastEntry >= laser->elementCount) return false;
    if (!Approx(2 * W(laser, g + 1), W(laser, g + 3))) return false;

    laser->text[14] = ' ';
    laser->lastBarWidth = 2; // the guard's last bar
    std::int32_t pattern = 0;
    int digits = 0;
    for (int n = 1;; ++n) {
        int f = g + 4 + kAddOnDigitStride * (n - 1);
        if (f + 4 >= laser->elementCount) return false;
        std::uint8_t even = 0;
        if (!DetectLeftDigitAndParity(laser, f, &even, 14 + n)) return false;
        if (even) pattern |= 1 << (5 - n);
        // Its check is too weak to let a digit's grey levels disagree.
        if (LeftGreyMisfits(laser, f, laser->text, 1, 14 + n, even) > 0) return false;
        const bool atBorder = f + 4 == laser->elementCount - 1;
        if (W(laser, f + 4) >= kAddOnQuietZoneRatio * W(laser, g + 1) ||
            (atBorder && AddOnEndsBeforeBorder(laser, f))) {
            digits = n;
            break;
        }
        laser->lastBarWidth = 1; // the delineator's bar
        // After a fifth digit anything may follow, but not the frame's
        // border closely: the digit may be cut there.
        if (n == 5) {
            if (atBorder) return false;
            digits = 5;
            break;
        }
    }

    auto digit = [laser](int n) { return laser->text[14 + n] - '0'; };
    if (digits == 2) {
        if ((10 * digit(1) + digit(2)) % 4 != (pattern >> 3)) return false;
    } else if (digits == 5) {
        int check = (3 * (digit(1) + digit(3) + digit(5)) + 9 * (digit(2) + digit(4))) % 10;
        if (ean::parityValues[check] != pattern) return false;
    } else {
        return false;
    }
    *count = digits + 1;
    return true;
}
