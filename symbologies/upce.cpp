// UPC-E, the zero-suppressed six-digit form of UPC-A, reported as its
// expansion. Its digits are read by the left-half digit matcher of EAN
// (ean_digits.h).
#include "symbologies/decoders.h"

#include "symbologies/approx.h"
#include "symbologies/ean_digits.h"
#include "symbologies/ean_proportions.h"
#include "symbologies/ean_tables.h"
#include "symbologies/laser_record.h"
#include "symbologies/reading_rules.h"
#include "symbologies/symbology_codes.h"

#include <array>

namespace {

constexpr int kQuietZoneRatio = 6;

// UPC-E layout from the leading quiet zone q.
constexpr int kEndGuard = 29; // bars at +29, +31, +33
constexpr int kTrailingQuiet = 34;

// Widths in whole samples: UPC-E's guards are tested on truncated widths.
inline int WholeWidth(const Laser* laser, int k) {
    return int(laser->elements[k].width);
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
    const bool leadingAtBorder = IsQuietAtBorder(laser, q);
    const bool trailingAtBorder = IsQuietAtBorder(laser, q + kTrailingQuiet);
    if ((quiet < kQuietZoneRatio * start1 && !leadingAtBorder) || !Approx(start1, start2))
        return false;
    if (trailing < kQuietZoneRatio * end1 && !trailingAtBorder) return false;
    return Approx(end1, end2) && Approx(end2, end3);
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
        if (LeftGreyMisfits(laser, q + 4, laser->text, 6, 2, pattern) > kMaxGreyMisfits ||
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
