// The image table shared by the EAN/UPC suites: libzint-drawn EAN-13,
// UPC-A, EAN-8 and UPC-E symbols, with and without add-ons, each shown for
// one turn under every combination of the EAN-13 switch and the add-on
// mode, must give exactly the read those settings prescribe, or none.
#pragma once

#include <string>

enum class EanKind { EAN13, UPCA, EAN8, UPCE };

// Thirty symbols of the kind with add-ons of addOnDigits (0, 2 or 5).
void ExpectEanReadsUnderEachSetting(EanKind kind, int addOnDigits);

// Random digits; a UPC-E number (number system and six digits) in the form
// that zero suppression produces.
class TestRandom;
std::string RandomDigits(TestRandom& random, int count);
std::string RandomUpcE(TestRandom& random);
