// The EAN/UPC digit matchers, the checks on their digits and the add-on
// reader, which the EAN-13/UPC-A, EAN-8 and UPC-E decoders share
// (ean_digits.cpp).
#pragma once

#include "toolbox/str255.h"

#include <cstdint>

struct Laser;

// The misfits a read harder may have: blur greys a lone module, but a
// symbol read wrong disagrees in several.
constexpr int kMaxGreyMisfits = 1;

bool DetectLeftDigitAndParity(Laser* laser, std::int32_t first, std::uint8_t* parity,
                              std::int32_t position);
bool DetectRightDigit(Laser* laser, std::int32_t first, std::int32_t position);
// The six left-half digits of an EAN-13 or a UPC-E from entry first on, at
// text positions 2 to 7, and their parity pattern (bit 5 the first digit,
// set for even parity). False at the first digit that matches nothing.
bool DetectSixLeftDigits(Laser* laser, std::int32_t first, std::int32_t* pattern);
char DigitFromParityEncoding(std::int32_t pattern);
bool VerifyChecksumEAN13(const Str255& text);
// Read harder: of `count` digits from entry `first` on, how many have grey
// levels that fit another pattern better than the digit at their text
// position (from `position` on; ean_grey_check.h). pattern holds the left
// digits' parity as DetectSixLeftDigits gives it. A digit that matched
// only loosely (below a second look's score) counts once more, so a loose
// digit whose grey levels disagree counts twice. Always 0 for a read as
// printed.
int LeftGreyMisfits(const Laser* laser, int first, const Str255& text, int count, int position,
                    std::int32_t pattern);
int RightGreyMisfits(const Laser* laser, int first, const Str255& text, int count, int position);
// Read harder: true when the quiet zones at entries q and t of a symbol of
// `modules` modules from its first bar to its last show no bar in the grey
// levels of the laser's samples (ean_grey_check.h). Always true for a read
// as printed.
bool QuietZonesGreyFit(const Laser* laser, int q, int t, int modules);

// The two- or five-digit add-on from the gap at entry `gap` after an EAN-13
// or UPC-A symbol: true when a valid one follows, having written a space and
// its digits at text positions 14 on and stored in count the characters
// added (3 or 6). The caller sets the text length.
bool DecodeExtension(Laser* laser, std::int32_t gap, std::int32_t* count);
