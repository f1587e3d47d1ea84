// What the scanner must report for a symbol, worked out from the barcode
// standards alone (check digits, UPC-E zero suppression), never from the
// scanner's own decoders.
#pragma once

#include <string>
#include <string_view>

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

// Code 39 data as the scanner reports it: the space character as "_".
std::string Code39Text(std::string_view data);
