// The symbology decoders. Each reads one laser's run table in the laser's
// own direction and, on success, writes the laser's symbology and text and
// returns true. A failed attempt may leave characters in the text beyond its
// length; nobody reads them.
#pragma once

#include "symbologies/decode_options.h"
#include "toolbox/str255.h"

#include <cstdint>

struct Laser;

// EAN-13, UPC-A (with add-ons) and EAN-8.
bool DecodeBarsEAN13(const DecodeOptions& options, Laser* laser);
bool DecodeBarsEAN8(Laser* laser);
bool DetectLeftDigitAndParity(Laser* laser, std::int32_t first, std::uint8_t* parity,
                              std::int32_t position);
bool DetectRightDigit(Laser* laser, std::int32_t first, std::int32_t position);
// The six left-half digits of an EAN-13 or a UPC-E from entry first on, at
// text positions 2 to 7, and their parity pattern (bit 5 the first digit,
// set for even parity). False at the first digit that matches nothing.
bool DetectSixLeftDigits(Laser* laser, std::int32_t first, std::int32_t* pattern);
char DigitFromParityEncoding(std::int32_t pattern);
bool VerifyChecksumEAN13(const Str255& text);
bool VerifyChecksumEAN8(const Str255& text);
// Read harder: of `count` digits from entry `first` on, how many have grey
// levels that fit another pattern better than the digit at their text
// position (from `position` on; ean_grey_check.h). pattern holds the left
// digits' parity as DetectSixLeftDigits gives it. Always 0 for a read as
// printed.
int LeftGreyMisfits(const Laser* laser, int first, const Str255& text, int count, int position,
                    std::int32_t pattern);
int RightGreyMisfits(const Laser* laser, int first, const Str255& text, int count, int position);
// Read harder: true when the quiet zones at entries q and t of a symbol of
// `modules` modules from its first bar to its last show no bar in the grey
// levels of the laser's samples (ean_grey_check.h). Always true for a read
// as printed.
bool QuietZonesGreyFit(const Laser* laser, int q, int t, int modules);

// UPC-E and the 2- and 5-digit add-ons.
bool DecodeBarsUPCE(const DecodeOptions& options, Laser* laser);
void CheckDigitAndNumberSystemFromParityEncoding(std::int32_t pattern, char* numberSystem,
                                                 char* checkDigit);
void ExpandUPCE(const Str255& source, Str255& destination, std::uint32_t form);
bool DecodeExtension(Laser* laser, std::int32_t gap, std::int32_t* count);

// Code 128, Code 39, Codabar, Interleaved 2 of 5.
void InitializeCode128();
bool DecodeBarsCode128(Laser* laser);
bool DecodeBarsCode39(Laser* laser);
bool DecodeBarsCodabar(Laser* laser);
bool DecodeBarsInt2of5(Laser* laser);

// Turns the text of a Code 39 read into its Code 32 number ("A" and nine
// digits) when it is one: six base-32 characters whose number's check digit
// fits. Otherwise false, and the text stays as it was.
bool ReadCode39AsCode32(Str255& text);
