// Codabar decoder. Every element of a character is judged wide or narrow
// against the others of its kind, with a wider tolerance than Code 39, and
// the module text is looked up in the standard's table. The start and stop
// letters A to D stay in the text.
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

// The standard's characters; the elements of each, bar first, in the comment.
constexpr std::array<MarkedCharacter, 20> codabarDigit = {{
    {"101010011", '0'},  // n n n n n w w
    {"101011001", '1'},  // n n n n w w n
    {"101001011", '2'},  // n n n w n n w
    {"110010101", '3'},  // w w n n n n n
    {"101101001", '4'},  // n n w n n w n
    {"110101001", '5'},  // w n n n n w n
    {"100101011", '6'},  // n w n n n n w
    {"100101101", '7'},  // n w n n w n n
    {"100110101", '8'},  // n w w n n n n
    {"110100101", '9'},  // w n n w n n n
    {"101001101", '-'},  // n n n w w n n
    {"101100101", '$'},  // n n w w n n n
    {"1101011011", ':'}, // w n n n w n w
    {"1101101011", '/'}, // w n w n n n w
    {"1101101101", '.'}, // w n w n w n n
    {"1011011011", '+'}, // n n w n w n w
    {"1011001001", 'A'}, // n n w w n w n
    {"1001001011", 'B'}, // n w n w n n w
    {"1010010011", 'C'}, // n n n w n w w
    {"1010011001", 'D'}, // n n n w w w n
}};

constexpr int kElementsPerCharacter = 7; // four bars and three spaces
constexpr int kRunsPerCharacter = 8;     // and the gap after them
constexpr int kFirstLetter = 16;         // records 16 to 19 are the start/stop letters A to D
constexpr double kQuietZoneRatio = 6.0;  // against the neighbouring character's first bar
// Read harder: printed Codabar shows quiet zones of some 3.6 times its first
// bar.
constexpr double kHardQuietZoneRatio = 3.0;
// And, read harder, wider than any space inside the symbol: a lost bar
// leaves a wide space that, at 3 times a narrow bar, passes for a quiet
// zone, and the characters after it for a shorter symbol. Photographed
// quiet zones are at least 1.6 times the widest space, except where the
// frame's border cuts them.
constexpr double kHardQuietOverWidestSpace = 1.3;
// Without a check character a minimum length keeps pieces of text, texture
// and damaged symbols of other kinds from reading as short codes.
constexpr int kMinDataCharacters = 4;
constexpr WideNarrow kWideNarrow{.minRatio = 1.5, .maxRatio = 5.0};

constexpr bool LettersAreLast() {
    for (std::size_t i = 0; i < codabarDigit.size(); ++i) {
        char c = codabarDigit[i].character;
        if ((c >= 'A' && c <= 'D') != (i >= kFirstLetter)) return false;
    }
    return true;
}

// Seven elements, two or three of them wide.
static_assert(std::ranges::all_of(codabarDigit, [](const MarkedCharacter& digit) {
    return IsWellFormed(digit.pattern, kElementsPerCharacter, 2, 3);
}));
static_assert(IsDistinct(codabarDigit));
static_assert(LettersAreLast());

// True when the quiet zones at entries q and last are wider than the spaces
// between them by kHardQuietOverWidestSpace, or lie at the frame's border.
bool QuietZonesOutwidthSpaces(const Laser* laser, int q, int last) {
    const Element* e = laser->elements;
    double widest = 0;
    for (int k = q + 2; k < last; k += 2) widest = std::max(widest, e[k].width);
    const double needed = kHardQuietOverWidestSpace * widest;
    return IsQuietZone(laser, q, needed) && IsQuietZone(laser, last, needed);
}

// Reads the symbol whose leading quiet zone is entry q, from its start
// letter to the first letter after it.
bool ReadSymbol(const Laser* laser, int q, Str255& text) {
    const Element* e = laser->elements;
    const int count = laser->elementCount;
    const double quietRatio = ReadHarder(laser) ? kHardQuietZoneRatio : kQuietZoneRatio;
    for (int k = 1;; ++k) {
        int b = q + kRunsPerCharacter * (k - 1);
        if (b + 9 > count) return false;
        int record = ReadCharacter<kElementsPerCharacter>(e + b + 1, kWideNarrow, codabarDigit);
        if (record < 0 && ReadHarder(laser)) {
            char marks[2 * kElementsPerCharacter];
            const Element* from = e + std::max(q + 1, b + 1 - kRunsPerCharacter);
            const Element* to = e + std::min(count, b + 1 + 2 * kRunsPerCharacter);
            record = RecordOf(
                WindowMarks<kElementsPerCharacter>(e + b + 1, from, to, kWideNarrow, marks),
                codabarDigit);
        }
        if (record < 0) return false;
        text[k] = codabarDigit[record].character;

        bool isLetter = record >= kFirstLetter;
        if (k == 1) {
            if (!isLetter) return false;
            continue;
        }
        if (!isLetter) continue;

        if (!IsQuietZone(laser, b + 8, quietRatio * e[b + 1].width)) return false;
        if (k == 2) return false;
        if (k - 2 < kMinDataCharacters) return false;
        if (ReadHarder(laser) && (!QuietZonesOutwidthSpaces(laser, q, b + 8) ||
                                  !two_width::ElementsStandOut(laser, q, b + 8)))
            return false;
        text.SetLength(k);
        return true;
    }
}

} // namespace

bool DecodeBarsCodabar(Laser* laser) {
    const Element* e = laser->elements;
    const int count = laser->elementCount;
    // Past this q not even the start letter with the run after it fits.
    for (int q = 0; q + 9 <= count; ++q) {
        const double quietRatio = ReadHarder(laser) ? kHardQuietZoneRatio : kQuietZoneRatio;
        if (e[q].isBar || !IsQuietZone(laser, q, quietRatio * e[q + 1].width)) continue;
        if (ReadSymbol(laser, q, laser->text)) {
            laser->symbology = kSymbologyCodabar;
            return true;
        }
    }
    return false;
}
