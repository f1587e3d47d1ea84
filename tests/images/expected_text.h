// What the scanner must report for a symbol, worked out from the barcode
// standards alone (check digits, UPC-E zero suppression, Code 128 code
// sets), never from the scanner's own decoders.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The EAN/UPC check digit for a payload of digits (the weights 3, 1, 3, ...
// run from the rightmost payload digit).
char EanCheckDigit(std::string_view payload);

// True when a UPC-E number (number system and six digits) is in the form
// that zero suppression produces: a last digit 3 needs a third digit of 3
// or more, 4 a non-zero fourth digit, 5 to 9 a non-zero fifth digit.
bool IsCanonicalUpcE(std::string_view numberSystemAndSix);

// A UPC-E number (number system and six digits) expanded to the 11-digit
// UPC-A payload, without check digit.
std::string ExpandUpcE(std::string_view numberSystemAndSix);

// The Code 128 symbol values of a run table in modules (bar, space, ...,
// stop included); nullopt when a character matches no pattern of the
// standard.
std::optional<std::vector<int>> Code128Values(const std::vector<double>& runs);

// True when the values carry a valid modulo-103 check character.
bool Code128CheckOk(const std::vector<int>& values);

// The text that the scanner reports for the values: the characters between
// the start and the check character, code sets followed through 99, 100 and
// 101; function values append a space in sets A and B; no shift handling.
std::string Code128Text(const std::vector<int>& values);

// Code 39 data as the scanner reports it: the space character as "_".
std::string Code39Text(std::string_view data);
