// The symbology decoders. Each reads one laser's run table in the laser's
// own direction and, on success, writes the laser's symbology and text and
// returns true. A failed attempt may leave characters in the text beyond its
// length; nobody reads them.
#pragma once

#include "symbologies/decode_options.h"
#include "symbologies/ean_digits.h"
#include "toolbox/str255.h"

#include <cstdint>

struct Laser;

// EAN-13, UPC-A (with add-ons) and EAN-8.
bool DecodeBarsEAN13(const DecodeOptions& options, Laser* laser);
bool DecodeBarsEAN8(Laser* laser);
bool VerifyChecksumEAN8(const Str255& text);
// UPC-E.
bool DecodeBarsUPCE(const DecodeOptions& options, Laser* laser);
void CheckDigitAndNumberSystemFromParityEncoding(std::int32_t pattern, char* numberSystem,
                                                 char* checkDigit);
void ExpandUPCE(const Str255& source, Str255& destination, std::uint32_t form);

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
