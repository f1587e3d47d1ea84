// Interleaved 2 of 5 decoder. Digits come in pairs: the five bars of a pair
// carry its first digit and the five spaces between them its second. Each
// pair is judged wide/narrow element by element and looked up among the 100
// pair patterns, which are built here from the standard's ten digit patterns.
#include "symbologies/approx.h"
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

// The standard's digits 0 to 9 as their five elements, n narrow and w wide.
constexpr std::array<std::string_view, 10> int2of5Elements = {
    "nnwwn", "wnnnw", "nwnnw", "wwnnn", "nnwnw", "wnwnn", "nwwnn", "nnnww", "wnnwn", "nwnwn",
};

constexpr int kElementsPerDigit = 5;
constexpr int kPairTextLength = 14; // four wide elements of two marks, six narrow of one

struct Int2of5Pair {
    char pattern[kPairTextLength + 1]; // "1"/"11" a narrow/wide bar, "0"/"00" a narrow/wide space
};

// Pair n: bars from digit n / 10 interleaved with spaces from digit n % 10.
constexpr std::array<Int2of5Pair, 100> MakePairPatterns() {
    std::array<Int2of5Pair, 100> pairs{};
    for (int n = 0; n < 100; ++n) {
        std::string_view bars = int2of5Elements[n / 10];
        std::string_view spaces = int2of5Elements[n % 10];
        int length = 0;
        for (int i = 0; i < kElementsPerDigit; ++i) {
            for (int m = bars[i] == 'w' ? 2 : 1; m > 0; --m) pairs[n].pattern[length++] = '1';
            for (int m = spaces[i] == 'w' ? 2 : 1; m > 0; --m) pairs[n].pattern[length++] = '0';
        }
        pairs[n].pattern[length] = 0;
    }
    return pairs;
}

constexpr std::array<Int2of5Pair, 100> int2of5Digit = MakePairPatterns();

constexpr bool DigitsHaveTwoWideElements() {
    for (std::string_view digit : int2of5Elements)
        if (digit.size() != kElementsPerDigit || std::ranges::count(digit, 'w') != 2 ||
            std::ranges::count(digit, 'n') != 3)
            return false;
    return true;
}

constexpr bool DigitsAreDistinct() {
    for (std::size_t i = 0; i < int2of5Elements.size(); ++i)
        for (std::size_t j = i + 1; j < int2of5Elements.size(); ++j)
            if (int2of5Elements[i] == int2of5Elements[j]) return false;
    return true;
}

static_assert(DigitsHaveTwoWideElements());
static_assert(DigitsAreDistinct());
static_assert(std::ranges::all_of(int2of5Digit, [](const Int2of5Pair& pair) {
    return std::string_view(pair.pattern).size() == kPairTextLength &&
           IsWellFormed(pair.pattern, 2 * kElementsPerDigit, 4, 4);
}));
static_assert(std::string_view(int2of5Digit[38].pattern) ==
              "11001101010010"); // bars 3 wwnnn, spaces 8 wnnwn

// A pair adds two digits and takes ten runs: no run table overflows the text.
static_assert(kMaxElements / 10 * 2 <= 255);

constexpr int kElementsPerPair = 10;
constexpr double kQuietZoneRatio = 6.0; // against the start's first bar and the stop's last
// A symbol's proportions against its narrow module, measured over the four
// narrow elements of the start: quiet zones of 9 at least (the standard asks
// for 10; a narrower gap inside a longer symbol or beside a smudge is what
// makes a piece of one look like a whole symbol), and pairs of 6 narrow and
// 4 wide elements.
constexpr double kMinQuietNarrows = 9.0;
constexpr double kMinPairNarrows = 12.0;
constexpr double kMaxPairNarrows = 22.0;
// A piece of a longer symbol (of any kind), of a damaged one or of texture
// rarely holds six digits; read harder, this minimum length stands in for
// the quiet zones of 9 narrow modules (cartons print the code between
// bearer bars with narrow margins).
constexpr int kMinDigits = 6;
constexpr WideNarrow kWideNarrow{.minRatio = 1.5, .maxRatio = 4.0};

// The pair (0 to 99) whose first bar is entry c[0], or -1 when its elements
// match no pattern.
int ReadPair(const Element* c) {
    return ReadCharacter<kElementsPerPair>(c, kWideNarrow, int2of5Digit);
}

// Reads the pairs after the start whose leading quiet zone is entry q until
// a stop with its trailing quiet zone follows one.
bool ReadSymbol(const Laser* laser, int q, Str255& text) {
    const Element* e = laser->elements;
    const int count = laser->elementCount;
    const bool harder = ReadHarder(laser);
    int length = 0;
    text.SetLength(0);
    const double narrow = (e[q + 5].start - e[q + 1].start) / 4.0;
    if (!harder && e[q].width < kMinQuietNarrows * narrow) return false;
    for (int b = q;; b += kElementsPerPair) {
        if (b + 18 >= count) return false;
        double pairWidth = e[b + 15].start - e[b + 5].start;
        if (pairWidth < kMinPairNarrows * narrow || pairWidth > kMaxPairNarrows * narrow)
            return false;
        int pair = ReadPair(e + b + 5);
        if (pair < 0) return false;
        text[++length] = '0' + pair / 10;
        text[++length] = '0' + pair % 10;

        // Stop: wide bar, narrow space, narrow bar, then the quiet zone. A pair
        // has been read, so the text always has its two digits at least.
        if (e[b + 18].width > kQuietZoneRatio * e[b + 17].width &&
            kWideNarrow.IsWider(e[b + 15].width, e[b + 17].width)) {
            if (length < kMinDigits) return false;
            if (!harder && e[b + 18].width < kMinQuietNarrows * narrow) return false;
            if (harder && !two_width::ElementsStandOut(laser, q, b + 18)) return false;
            text.SetLength(length);
            return true;
        }
    }
}

} // namespace

bool DecodeBarsInt2of5(Laser* laser) {
    const Element* e = laser->elements;
    const int count = laser->elementCount;
    // Past this q not even the start, one pair and a stop with its quiet zone fit.
    for (int q = 0; q + 18 < count; ++q) {
        if (e[q].isBar || e[q].width < kQuietZoneRatio * e[q + 1].width) continue;
        // The start's two narrow bars alike and its two narrow spaces alike.
        if (!Approx(e[q + 1].width, e[q + 3].width) || !Approx(e[q + 2].width, e[q + 4].width))
            continue;
        if (ReadSymbol(laser, q, laser->text)) {
            laser->symbology = kSymbologyInt2of5;
            return true;
        }
    }
    return false;
}
