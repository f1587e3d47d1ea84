// The image tables of the symbology suites: libzint-drawn symbols under
// viewing conditions drawn from a seed, shown to a real scanner instance
// with all eight symbologies enabled. A failing case names its seed and
// conditions.
#pragma once

#include "tests/support/frame.h"
#include "tests/support/random.h"
#include "tests/support/render_barcode.h"
#include "tests/support/scan_harness.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// One turn of the ten laser patterns.
constexpr int kFramesPerTurn = 10;

// "'ean1' 5901234123457 at frame 3" for each read.
std::string Describe(const std::vector<ScanRead>& reads);

// One symbol of a symbology's image table.
struct SymbolRow {
    std::string data;     // what libzint is given
    std::string expected; // what the scanner must deliver
    double wideRatio = 0; // Code 39, Codabar, 2 of 5; 0 for the others
};

// Each row drawn `variations` times, the angles of all of them together
// stepping through the whole circle, with pixels per module between 2 and
// what lets the symbol fit (at most 4), blur, noise, contrast, lighting and
// a small offset from the centre drawn from the case's seed: delivered
// exactly once with its text and symbology, within a turn when the
// symbology has a check digit, else within two (its second equal read).
// `alsoOn` names switches turned on beside the eight symbologies.
void ExpectRowsDelivered(const std::string& family, int zintSymbology, OSType symbology,
                         const std::vector<SymbolRow>& rows, int variations,
                         std::initializer_list<OSType> alsoOn = {},
                         OSType supplement = kSupplementIgnore);

struct DamageTable {
    std::string family;
    int zintSymbology = 0;
    double wideRatio = 0;
    std::function<std::string(TestRandom&)> data;
    // Where one symbol character lies, to smudge it over.
    std::function<Damage(TestRandom&, const BarPattern&)> character;
    // The text of the intact symbol, when it is not the data itself.
    std::function<std::string(const std::string&)> intact = {};
};

// Ten symbols with one bar erased and ten with one character smudged, each
// in view for two turns. Read as printed ('hard' off), nothing is
// delivered; read harder, the damaged symbol may still give its own text,
// never another.
void ExpectDamageNeverDelivered(const DamageTable& table);

std::string RandomText(TestRandom& random, const std::string& alphabet, int length);
// Code 39 data as the scanner reports it: the space character as "_".
std::string Code39Text(std::string_view data);
