// The EAN/UPC digit matchers and the checks on what they read, shared by
// EAN-13, UPC-A, EAN-8 and UPC-E; and the reader of the two- and five-digit
// add-ons that may follow an EAN-13 or UPC-A symbol, made of left-half
// digits. Every digit is normalised by its own width (7 modules) and
// recognised by three edge-to-similar-edge distances.
#include "symbologies/ean_digits.h"

#include "symbologies/approx.h"
#include "symbologies/ean_grey_check.h"
#include "symbologies/ean_tables.h"
#include "symbologies/laser_record.h"
#include "symbologies/reading_rules.h"

namespace {

constexpr double kDigitModules = 7.0;
constexpr double kMinDigitScore = 2.55; // of 3.0
// Run tables of a second analysis hold more chance fits: their digits must
// match closer, or count as loose (GreyMisfit).
constexpr double kMinSecondLookDigitScore = 2.7;
// Modules of quiet zone beside the symbol whose grey levels must show no bar.
constexpr double kGreyQuietModules = 5.0;

constexpr double kAddOnQuietZoneRatio = 6.0;
constexpr double kMinBorderQuietModules = 3.0;
// Add-on layout from the gap g after the main symbol.
constexpr int kAddOnLastEntry = 14;  // at least the guard and two digits
constexpr int kAddOnDigitStride = 6; // a digit and its delineator

// Whether a digit of this score is taken; a second look's digit taken
// below kMinSecondLookDigitScore marks its text position loose.
bool TakeDigitScore(Laser* laser, double score, std::int32_t position) {
    const std::uint32_t bit = std::uint32_t(1) << position;
    laser->looseDigits &= ~bit;
    if (score < kMinDigitScore) return false;
    if (laser->rules >= kRulesSecondLook && score < kMinSecondLookDigitScore)
        laser->looseDigits |= bit;
    return true;
}

inline double P(const Laser* laser, int k) {
    return laser->elements[k].start;
}
inline double W(const Laser* laser, int k) {
    return laser->elements[k].width;
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

// The pattern of a digit table whose three edge distances fit a, b and c
// best (c after the last element of the digit before, `carry`), and its
// score out of 3.
struct DigitMatch {
    double score = 0.0;
    int pattern = 0;
};
template <std::size_t N>
DigitMatch BestDigit(double a, double b, double c, const std::array<double, N>& leading,
                     const std::array<double, N>& trailing, const std::array<double, N>& first,
                     double carry) {
    DigitMatch best;
    for (int k = 0; k < int(N); ++k) {
        double score = ApproxScore(a, leading[k]) + ApproxScore(b, trailing[k]) +
                       ApproxScore(c, first[k] + carry);
        if (score > best.score) best = {score, k};
    }
    return best;
}

// The doubts a digit adds to a read: one when its grey levels fit another
// pattern better, one when its edges matched only loosely. A read may doubt
// one digit, by its edges or by its grey levels, so a loose digit whose grey
// levels disagree refuses the read.
int GreyMisfit(const Laser* laser, bool fits, int position) {
    const bool loose = (laser->looseDigits >> position) & 1;
    return int(!fits) + int(loose);
}

} // namespace

bool DetectLeftDigitAndParity(Laser* laser, std::int32_t i, std::uint8_t* parity,
                              std::int32_t position) {
    double s = kDigitModules / (P(laser, i + 4) - P(laser, i));
    double a = (P(laser, i + 3) - P(laser, i + 1)) * s; // first bar + second space
    double b = (P(laser, i + 4) - P(laser, i + 2)) * s; // second space + second bar
    double c = (P(laser, i + 1) - P(laser, i - 1)) * s; // previous bar + first space

    const auto [best, match] = BestDigit(a, b, c, ean::leftLeadingEdges, ean::leftTrailingEdges,
                                         ean::leftFirstSpace, laser->lastBarWidth);
    if (!TakeDigitScore(laser, best, position)) return false;
    laser->lastBarWidth = ean::leftLastBar[match];
    *parity = match >= 10 ? 1 : 0;
    laser->text[position] = static_cast<unsigned char>('0' + match % 10);
    return true;
}

bool DetectRightDigit(Laser* laser, std::int32_t i, std::int32_t position) {
    double s = kDigitModules / (P(laser, i + 4) - P(laser, i));
    double a = (P(laser, i + 2) - P(laser, i)) * s;     // first bar + first space
    double b = (P(laser, i + 3) - P(laser, i + 1)) * s; // first space + second bar
    double c = (P(laser, i + 1) - P(laser, i - 1)) * s; // previous space + first bar

    const auto [best, match] = BestDigit(a, b, c, ean::rightLeadingEdges, ean::rightTrailingEdges,
                                         ean::rightFirstBar, laser->lastSpaceWidth);
    if (!TakeDigitScore(laser, best, position)) return false;
    laser->lastSpaceWidth = ean::rightLastSpace[match];
    laser->text[position] = static_cast<unsigned char>('0' + match);
    return true;
}

bool DetectSixLeftDigits(Laser* laser, std::int32_t first, std::int32_t* pattern) {
    laser->lastBarWidth = 1;
    *pattern = 0;
    for (int j = 0; j < 6; ++j) {
        std::uint8_t even = 0;
        if (!DetectLeftDigitAndParity(laser, first + 4 * j, &even, j + 2)) return false;
        if (even) *pattern |= 1 << (5 - j);
    }
    return true;
}

char DigitFromParityEncoding(std::int32_t pattern) {
    for (int d = 0; d < 10; ++d)
        if (ean::firstDigitParity[d] == pattern) return char('0' + d);
    return '-';
}

bool VerifyChecksumEAN13(const Str255& text) {
    int sum = 0;
    for (int p = 1; p <= 12; ++p) sum += (text[p] - '0') * (p % 2 ? 1 : 3);
    return (10 - sum % 10) % 10 == text[13] - '0';
}

int LeftGreyMisfits(const Laser* laser, int first, const Str255& text, int count, int position,
                    std::int32_t pattern) {
    if (!ReadHarder(laser)) return 0;
    int misfits = 0;
    for (int j = 0; j < count; ++j) {
        const int even = (pattern >> (count - 1 - j)) & 1;
        const int read = text[std::size_t(position + j)] - '0' + 10 * even;
        misfits +=
            GreyMisfit(laser, ean::DigitGreyFits(laser, first + 4 * j, ean::DigitHalf::kLeft, read),
                       position + j);
    }
    return misfits;
}

bool QuietZonesGreyFit(const Laser* laser, int q, int t, int modules) {
    if (!ReadHarder(laser)) return true;
    const double module = (P(laser, t) - P(laser, q + 1)) / modules;
    return ean::QuietZoneGreyFits(laser, q, q + 1, t - 1, module, kGreyQuietModules) &&
           ean::QuietZoneGreyFits(laser, t, q + 1, t - 1, module, kGreyQuietModules);
}

int RightGreyMisfits(const Laser* laser, int first, const Str255& text, int count, int position) {
    if (!ReadHarder(laser)) return 0;
    int misfits = 0;
    for (int j = 0; j < count; ++j)
        misfits += GreyMisfit(laser,
                              ean::DigitGreyFits(laser, first + 4 * j, ean::DigitHalf::kRight,
                                                 text[std::size_t(position + j)] - '0'),
                              position + j);
    return misfits;
}

// An add-on digit spans 7 modules of its guard within 9 %.
constexpr double kAddOnDigitModulesLow = 7 * 0.91, kAddOnDigitModulesHigh = 7 / 0.91;

bool DecodeExtension(Laser* laser, std::int32_t g, std::int32_t* count) {
    if (g + kAddOnLastEntry >= laser->elementCount) return false;
    if (!Approx(2 * W(laser, g + 1), W(laser, g + 3))) return false;

    laser->text[14] = ' ';
    laser->lastBarWidth = 2;                                            // the guard's last bar
    const double guardModule = (P(laser, g + 4) - P(laser, g + 1)) / 4; // guard 1011
    std::int32_t pattern = 0;
    int digits = 0;
    for (int n = 1;; ++n) {
        int f = g + 4 + kAddOnDigitStride * (n - 1);
        if (f + 4 >= laser->elementCount) return false;
        // Each digit 7 of the guard's modules wide: a line that leaves the
        // last bar through its end sees it narrower, and the digit read
        // over 6 modules spells another one whose parity may still fit.
        const double digitModules = (P(laser, f + 4) - P(laser, f)) / guardModule;
        if (digitModules < kAddOnDigitModulesLow || digitModules > kAddOnDigitModulesHigh)
            return false;
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
