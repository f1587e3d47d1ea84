// Code 39 decoder. Every element of a character is judged wide or narrow
// against the others of its kind, and the resulting module text is looked up
// in the standard's table. The "*" that starts and stops a symbol is dropped.
#include "symbologies/decoders.h"
#include "symbologies/element_contrast.h"
#include "symbologies/laser_record.h"
#include "symbologies/module_marks.h"
#include "symbologies/reading_rules.h"
#include "symbologies/symbology_codes.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// The standard's characters; the one it encodes as a space reads as "_".
constexpr std::array<MarkedCharacter, 44> code39Digit = {{
    {"101001101101", '0'}, {"110100101011", '1'}, {"101100101011", '2'}, {"110110010101", '3'},
    {"101001101011", '4'}, {"110100110101", '5'}, {"101100110101", '6'}, {"101001011011", '7'},
    {"110100101101", '8'}, {"101100101101", '9'}, {"110101001011", 'A'}, {"101101001011", 'B'},
    {"110110100101", 'C'}, {"101011001011", 'D'}, {"110101100101", 'E'}, {"101101100101", 'F'},
    {"101010011011", 'G'}, {"110101001101", 'H'}, {"101101001101", 'I'}, {"101011001101", 'J'},
    {"110101010011", 'K'}, {"101101010011", 'L'}, {"110110101001", 'M'}, {"101011010011", 'N'},
    {"110101101001", 'O'}, {"101101101001", 'P'}, {"101010110011", 'Q'}, {"110101011001", 'R'},
    {"101101011001", 'S'}, {"101011011001", 'T'}, {"110010101011", 'U'}, {"100110101011", 'V'},
    {"110011010101", 'W'}, {"100101101011", 'X'}, {"110010110101", 'Y'}, {"100110110101", 'Z'},
    {"100101011011", '-'}, {"110010101101", '.'}, {"100110101101", '_'}, {"100100100101", '$'},
    {"100100101001", '/'}, {"100101001001", '+'}, {"101001001001", '%'}, {"100101101101", '*'},
}};

constexpr int kElementsPerCharacter = 9; // five bars and four spaces
constexpr int kRunsPerCharacter = 10;    // and the gap after them
constexpr int kWideElements = 3;
constexpr double kQuietZoneRatio = 6.0; // against the neighbouring character's first bar
constexpr WideNarrow kWideNarrow{.minRatio = 1.5, .maxRatio = 4.0};
constexpr char kStartStop = '*';

static_assert(std::ranges::all_of(code39Digit, [](const MarkedCharacter& digit) {
    return IsWellFormed(digit.pattern, kElementsPerCharacter, kWideElements, kWideElements);
}));
static_assert(IsDistinct(code39Digit));
static_assert(code39Digit.back().character == kStartStop);

// The character whose first bar is entry c[0], or 0 when its module text is
// not in the table.
char ReadCode39Character(const Element* c) {
    const int record = ReadCharacter<kElementsPerCharacter>(c, kWideNarrow, code39Digit);
    return record < 0 ? 0 : code39Digit[std::size_t(record)].character;
}

// Reads the symbol whose leading quiet zone is entry q, from its start "*"
// to the first "*" after it.
bool ReadSymbol(const Laser* laser, int q, Str255& text) {
    const Element* e = laser->elements;
    const int count = laser->elementCount;
    for (int k = 1;; ++k) {
        int b = q + kRunsPerCharacter * (k - 1);
        if (q + kRunsPerCharacter * k > count) return false;
        char character = ReadCode39Character(e + b + 1);
        if (character == 0) return false;
        text[k] = character;

        if (k == 1) {
            if (character != kStartStop) return false;
            continue;
        }
        if (character != kStartStop) continue;

        if (b + 10 >= count || !IsQuietZone(laser, b + 10, kQuietZoneRatio * e[b + 1].width))
            return false;
        if (k == 2) return false;
        if (ReadHarder(laser) && !two_width::ElementsStandOut(laser, q, b + 10)) return false;
        std::copy(&text[2], &text[k], &text[1]);
        text.SetLength(k - 2);
        return true;
    }
}

} // namespace

bool DecodeBarsCode39(Laser* laser) {
    const Element* e = laser->elements;
    const int count = laser->elementCount;
    // Past this q not even the start character fits.
    for (int q = 0; q + kRunsPerCharacter <= count; ++q) {
        if (e[q].isBar || !IsQuietZone(laser, q, kQuietZoneRatio * e[q + 1].width)) continue;
        if (ReadSymbol(laser, q, laser->text)) {
            laser->symbology = kSymbologyCode39;
            return true;
        }
    }
    return false;
}
