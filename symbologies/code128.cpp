// Code 128 decoder. Each symbol character is scaled by its own width of 11
// modules and recognised by its four edge-to-similar-edge distances, which
// tolerate bars printed thicker or thinner; code sets A, B and C are followed
// and the modulo-103 check character is verified.
#include "symbologies/approx.h"
#include "symbologies/decoders.h"
#include "symbologies/gs1_128.h"
#include "symbologies/laser_record.h"
#include "symbologies/reading_rules.h"
#include "symbologies/symbology_codes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr int kValueCount = 107;
constexpr int kCodeC = 99;         // switches to set C, or the digits "99" in set C
constexpr int kCodeB = 100;        // switches to set B, or a space in set B
constexpr int kCodeA = 101;        // switches to set A, or a space in set A
constexpr int kShift = 98;         // the next character only is read in the other of sets A and B
constexpr int kFirstFunction = 96; // FNC3 on: functions and start values, read as a space
constexpr int kFnc1 = 102;         // first in the data: a GS1-128 symbol
constexpr int kStartA = 103;
constexpr int kStartB = 104;
constexpr int kStop = 106;

constexpr int kModulesPerCharacter = 11;
constexpr int kRunsPerCharacter = 6;
constexpr int kCheckModulus = 103;
constexpr int kMinCharacters = 4;       // start, one data character, check, stop
constexpr double kQuietZoneRatio = 3.0; // against the start's first and the stop's last bar
constexpr double kMinScore = 3.4;       // of 4.0, one point per matching distance
// A symbol's proportions against its module, measured over all of its
// characters: each character 11 modules, and quiet zones of 6 modules at
// least (the standard asks for 10). Texture read as characters rarely keeps
// them, a printed symbol always does.
constexpr double kCharacterWidthRatio = 0.85;
constexpr double kMinQuietModules = 6.0;

struct Code128Digit {
    char pattern[12];       // 11 modules, '1' for a bar and '0' for a space
    char setA;              // character in code set A
    char setB;              // character in code set B
    double leading1 = 0.0;  // distances between the leading edges of bars 1-2 and 2-3,
    double leading2 = 0.0;  //   in modules
    double trailing1 = 0.0; // distances between the trailing edges of bars 1-2 and 2-3,
    double trailing2 = 0.0; //   in modules
};

// The standard's symbol values 0 to 106. Control characters and function
// values read as a space in sets A and B.
constexpr std::array<Code128Digit, kValueCount> code128Standard = {{
    {"11011001100", ' ', ' '},   // 0
    {"11001101100", '!', '!'},   // 1
    {"11001100110", '"', '"'},   // 2
    {"10010011000", '#', '#'},   // 3
    {"10010001100", '$', '$'},   // 4
    {"10001001100", '%', '%'},   // 5
    {"10011001000", '&', '&'},   // 6
    {"10011000100", '\'', '\''}, // 7
    {"10001100100", '(', '('},   // 8
    {"11001001000", ')', ')'},   // 9
    {"11001000100", '*', '*'},   // 10
    {"11000100100", '+', '+'},   // 11
    {"10110011100", ',', ','},   // 12
    {"10011011100", '-', '-'},   // 13
    {"10011001110", '.', '.'},   // 14
    {"10111001100", '/', '/'},   // 15
    {"10011101100", '0', '0'},   // 16
    {"10011100110", '1', '1'},   // 17
    {"11001110010", '2', '2'},   // 18
    {"11001011100", '3', '3'},   // 19
    {"11001001110", '4', '4'},   // 20
    {"11011100100", '5', '5'},   // 21
    {"11001110100", '6', '6'},   // 22
    {"11101101110", '7', '7'},   // 23
    {"11101001100", '8', '8'},   // 24
    {"11100101100", '9', '9'},   // 25
    {"11100100110", ':', ':'},   // 26
    {"11101100100", ';', ';'},   // 27
    {"11100110100", '<', '<'},   // 28
    {"11100110010", '=', '='},   // 29
    {"11011011000", '>', '>'},   // 30
    {"11011000110", '?', '?'},   // 31
    {"11000110110", '@', '@'},   // 32
    {"10100011000", 'A', 'A'},   // 33
    {"10001011000", 'B', 'B'},   // 34
    {"10001000110", 'C', 'C'},   // 35
    {"10110001000", 'D', 'D'},   // 36
    {"10001101000", 'E', 'E'},   // 37
    {"10001100010", 'F', 'F'},   // 38
    {"11010001000", 'G', 'G'},   // 39
    {"11000101000", 'H', 'H'},   // 40
    {"11000100010", 'I', 'I'},   // 41
    {"10110111000", 'J', 'J'},   // 42
    {"10110001110", 'K', 'K'},   // 43
    {"10001101110", 'L', 'L'},   // 44
    {"10111011000", 'M', 'M'},   // 45
    {"10111000110", 'N', 'N'},   // 46
    {"10001110110", 'O', 'O'},   // 47
    {"11101110110", 'P', 'P'},   // 48
    {"11010001110", 'Q', 'Q'},   // 49
    {"11000101110", 'R', 'R'},   // 50
    {"11011101000", 'S', 'S'},   // 51
    {"11011100010", 'T', 'T'},   // 52
    {"11011101110", 'U', 'U'},   // 53
    {"11101011000", 'V', 'V'},   // 54
    {"11101000110", 'W', 'W'},   // 55
    {"11100010110", 'X', 'X'},   // 56
    {"11101101000", 'Y', 'Y'},   // 57
    {"11101100010", 'Z', 'Z'},   // 58
    {"11100011010", '[', '['},   // 59
    {"11101111010", '\\', '\\'}, // 60
    {"11001000010", ']', ']'},   // 61
    {"11110001010", '^', '^'},   // 62
    {"10100110000", '_', '_'},   // 63
    {"10100001100", ' ', '`'},   // 64
    {"10010110000", ' ', 'a'},   // 65
    {"10010000110", ' ', 'b'},   // 66
    {"10000101100", ' ', 'c'},   // 67
    {"10000100110", ' ', 'd'},   // 68
    {"10110010000", ' ', 'e'},   // 69
    {"10110000100", ' ', 'f'},   // 70
    {"10011010000", ' ', 'g'},   // 71
    {"10011000010", ' ', 'h'},   // 72
    {"10000110100", ' ', 'i'},   // 73
    {"10000110010", ' ', 'j'},   // 74
    {"11000010010", ' ', 'k'},   // 75
    {"11001010000", ' ', 'l'},   // 76
    {"11110111010", ' ', 'm'},   // 77
    {"11000010100", ' ', 'n'},   // 78
    {"10001111010", ' ', 'o'},   // 79
    {"10100111100", ' ', 'p'},   // 80
    {"10010111100", ' ', 'q'},   // 81
    {"10010011110", ' ', 'r'},   // 82
    {"10111100100", ' ', 's'},   // 83
    {"10011110100", ' ', 't'},   // 84
    {"10011110010", ' ', 'u'},   // 85
    {"11110100100", ' ', 'v'},   // 86
    {"11110010100", ' ', 'w'},   // 87
    {"11110010010", ' ', 'x'},   // 88
    {"11011011110", ' ', 'y'},   // 89
    {"11011110110", ' ', 'z'},   // 90
    {"11110110110", ' ', '{'},   // 91
    {"10101111000", ' ', '|'},   // 92
    {"10100011110", ' ', '}'},   // 93
    {"10001011110", ' ', '~'},   // 94
    {"10111101000", ' ', ' '},   // 95
    {"10111100010", ' ', ' '},   // 96 FNC3
    {"11110101000", ' ', ' '},   // 97 FNC2
    {"11110100010", ' ', ' '},   // 98 SHIFT
    {"10111011110", ' ', ' '},   // 99 Code C
    {"10111101110", ' ', ' '},   // 100 Code B; FNC4 in set B
    {"11101011110", ' ', ' '},   // 101 Code A; FNC4 in set A
    {"11110101110", ' ', ' '},   // 102 FNC1
    {"11010000100", ' ', ' '},   // 103 Start A
    {"11010010000", ' ', ' '},   // 104 Start B
    {"11010011100", ' ', ' '},   // 105 Start C
    {"11000111010", ' ', ' '},   // 106 Stop, first 11 of its 13 modules
}};

constexpr bool HasElevenModulesAndThreeBars(const Code128Digit& digit) {
    std::string_view pattern = digit.pattern;
    int bars = 0;
    char previous = '0';
    for (char module : pattern) {
        if (module != '0' && module != '1') return false;
        if (module == '1' && previous == '0') ++bars;
        previous = module;
    }
    return pattern.size() == kModulesPerCharacter && pattern.front() == '1' && bars == 3;
}

// The standard keeps the bar modules of every character even, so a single
// mistyped module shows.
constexpr bool HasEvenBarModules(const Code128Digit& digit) {
    return std::ranges::count(std::string_view(digit.pattern), '1') % 2 == 0;
}

constexpr bool PatternsAreDistinct() {
    for (int i = 0; i < kValueCount; ++i)
        for (int j = i + 1; j < kValueCount; ++j)
            if (std::string_view(code128Standard[i].pattern) == code128Standard[j].pattern)
                return false;
    return true;
}

// Set A holds ASCII 32 to 95 at values 0 to 63, set B ASCII 32 to 126 at 0 to 94.
constexpr bool CharacterColumnsFollowAscii() {
    for (int v = 0; v < kValueCount; ++v) {
        if (code128Standard[v].setA != (v < 64 ? char(32 + v) : ' ')) return false;
        if (code128Standard[v].setB != (v < 95 ? char(32 + v) : ' ')) return false;
    }
    return true;
}

static_assert(std::ranges::all_of(code128Standard, HasElevenModulesAndThreeBars));
static_assert(std::ranges::all_of(code128Standard, HasEvenBarModules));
static_assert(PatternsAreDistinct());
static_assert(CharacterColumnsFollowAscii());

// A character adds at most two bytes to the text (two digits of set C, or
// a Latin-1 character after FNC4 in UTF-8), and a run table cannot hold
// enough characters to overflow it.
static_assert(kMaxElements / kRunsPerCharacter * 2 <= 255);

// Leading distance 1 and 2, trailing distance 1 and 2 of a pattern of three
// bars. An imaginary space module after the pattern gives the last bar its
// trailing edge.
constexpr std::array<double, 4> EdgeDistances(std::string_view pattern) {
    int leading[3] = {};
    int trailing[3] = {};
    int leadingCount = 0, trailingCount = 0;
    char previous = '0';
    for (int m = 0; m <= kModulesPerCharacter; ++m) {
        char module = m < kModulesPerCharacter ? pattern[m] : '0';
        if (module == '1' && previous == '0') leading[leadingCount++] = m;
        if (module == '0' && previous == '1') trailing[trailingCount++] = m;
        previous = module;
    }
    return {double(leading[1] - leading[0]), double(leading[2] - leading[1]),
            double(trailing[1] - trailing[0]), double(trailing[2] - trailing[1])};
}

static_assert(EdgeDistances(code128Standard[kStop].pattern) == std::array<double, 4>{5, 4, 6, 2});

// The working table: its distance columns are filled by InitializeCode128.
std::array<Code128Digit, kValueCount> code128Digit = code128Standard;

// The same distances as whole modules, to index the scores of a measured
// character: a bar and a space are 1 to 4 modules each.
constexpr int kMinEdgeDistance = 2;
constexpr int kMaxEdgeDistance = 8;
using WholeDistances = std::array<std::uint8_t, 4>;

constexpr std::array<WholeDistances, kValueCount> wholeDistances = [] {
    std::array<WholeDistances, kValueCount> table{};
    for (int v = 0; v < kValueCount; ++v) {
        const std::array<double, 4> d = EdgeDistances(code128Standard[v].pattern);
        for (int i = 0; i < 4; ++i) table[v][i] = std::uint8_t(d[i]);
    }
    return table;
}();

static_assert(std::ranges::all_of(wholeDistances, [](const WholeDistances& d) {
    return std::ranges::all_of(
        d, [](int m) { return m >= kMinEdgeDistance && m <= kMaxEdgeDistance; });
}));

// The values grouped by their two leading distances, each group in
// ascending order.
constexpr int kDistanceSpan = kMaxEdgeDistance - kMinEdgeDistance + 1;
constexpr int kLeadingGroups = kDistanceSpan * kDistanceSpan;

constexpr int LeadingGroup(int m1, int m2) {
    return (m1 - kMinEdgeDistance) * kDistanceSpan + (m2 - kMinEdgeDistance);
}

// Group g is values[start[g]] up to values[start[g + 1]].
struct LeadingGroups {
    std::array<std::uint8_t, kLeadingGroups + 1> start{};
    std::array<std::uint8_t, kValueCount> values{};
};

constexpr LeadingGroups leadingGroups = [] {
    LeadingGroups groups;
    int next = 0;
    for (int g = 0; g < kLeadingGroups; ++g) {
        groups.start[g] = std::uint8_t(next);
        for (int v = 0; v < kValueCount; ++v)
            if (LeadingGroup(wholeDistances[v][0], wholeDistances[v][1]) == g)
                groups.values[next++] = std::uint8_t(v);
    }
    groups.start[kLeadingGroups] = std::uint8_t(next);
    return groups;
}();

static_assert(leadingGroups.start[kLeadingGroups] == kValueCount);

// The value whose distances best match the character whose first bar is
// entry c[0], or -1 when even the best scores below kMinScore. Ties keep the
// lower value. The first character of a symbol can only be a start or the stop.
int MatchCharacter(const Element* c, bool firstCharacter) {
    double total = c[6].start - c[0].start;
    if (!(total > 0.0)) return -1; // runs of no width cannot be scaled
    double scale = kModulesPerCharacter / total;
    double e1 = (c[2].start - c[0].start) * scale;
    double e2 = (c[4].start - c[2].start) * scale;
    double e3 = (c[3].start - c[1].start) * scale;
    double e4 = (c[5].start - c[3].start) * scale;

    int best = -1;
    double bestScore = 0.0;
    // Each distance scores at most 1: a character two distances cannot lift
    // above the best so far, or to kMinScore, is passed over.
    auto consider = [&](int v, double first2, auto last2) {
        if (first2 + 2.0 <= bestScore || first2 + 2.0 < kMinScore) return;
        const double score = first2 + last2();
        if (score > bestScore) {
            bestScore = score;
            best = v;
        }
    };
    if (firstCharacter) {
        for (int v = kStartA; v < kValueCount; ++v) {
            const Code128Digit& digit = code128Digit[v];
            consider(v, ApproxScore(e1, digit.leading1) + ApproxScore(e2, digit.leading2), [&] {
                return ApproxScore(e3, digit.trailing1) + ApproxScore(e4, digit.trailing2);
            });
        }
        return bestScore < kMinScore ? -1 : best;
    }
    // Any value may follow: each measured distance is scored once against
    // every whole distance, and the values add up their four scores. They
    // are taken by their two leading distances, first those nearest to the
    // measured ones, whose score is then hard to beat: the other groups
    // mostly fall to the bound.
    std::array<std::array<double, kMaxEdgeDistance + 1>, 4> scores{};
    for (int m = kMinEdgeDistance; m <= kMaxEdgeDistance; ++m) {
        scores[0][m] = ApproxScore(e1, m);
        scores[1][m] = ApproxScore(e2, m);
        scores[2][m] = ApproxScore(e3, m);
        scores[3][m] = ApproxScore(e4, m);
    }
    auto considerGroup = [&](int m1, int m2) {
        const double first2 = scores[0][m1] + scores[1][m2];
        // Not <= as above: a later group may hold a lower value of equal score.
        if (first2 + 2.0 < kMinScore || first2 + 2.0 < bestScore) return;
        const int group = LeadingGroup(m1, m2);
        for (int i = leadingGroups.start[group]; i < leadingGroups.start[group + 1]; ++i) {
            const int v = leadingGroups.values[i];
            const WholeDistances& d = wholeDistances[v];
            const double score = first2 + (scores[2][d[2]] + scores[3][d[3]]);
            if (score > bestScore || (score == bestScore && v < best)) {
                bestScore = score;
                best = v;
            }
        }
    };
    auto nearest = [](double e) {
        return int(std::clamp(e, double(kMinEdgeDistance), double(kMaxEdgeDistance)) + 0.5);
    };
    const int near1 = nearest(e1), near2 = nearest(e2);
    considerGroup(near1, near2);
    for (int m1 = kMinEdgeDistance; m1 <= kMaxEdgeDistance; ++m1)
        for (int m2 = kMinEdgeDistance; m2 <= kMaxEdgeDistance; ++m2)
            if (m1 != near1 || m2 != near2) considerGroup(m1, m2);
    return bestScore < kMinScore ? -1 : best;
}

// Read harder: each character against its neighbours, since the module
// grows along a symbol seen in perspective, and each quiet zone against the
// module of the character beside it (the frame's border serving as one).
bool LocalProportionsFit(const Laser* laser, int q, int k) {
    const Element* e = laser->elements;
    auto width = [e, q](int c) {
        const Element* first = e + q + kRunsPerCharacter * c + 1;
        return first[kRunsPerCharacter].start - first[0].start;
    };
    for (int c = 0; c < k; ++c) {
        double sum = 0.0;
        int neighbours = 0;
        if (c > 0) sum += width(c - 1), ++neighbours;
        if (c + 1 < k) sum += width(c + 1), ++neighbours;
        double expected = sum / neighbours, w = width(c);
        if (w < kCharacterWidthRatio * expected || kCharacterWidthRatio * w > expected)
            return false;
    }
    const int stopEnd = q + kRunsPerCharacter * k + 1; // the stop's final bar
    return IsQuietZone(laser, q, kMinQuietModules * width(0) / kModulesPerCharacter) &&
           IsQuietZone(laser, stopEnd + 1, kMinQuietModules * width(k - 1) / kModulesPerCharacter);
}

// The characters 1 to k of the symbol after the quiet zone q, the stop
// last, against the module measured over all of them.
bool ProportionsFit(const Element* e, int q, int k) {
    double module =
        (e[q + kRunsPerCharacter * k + 1].start - e[q + 1].start) / (kModulesPerCharacter * k);
    for (int c = 0; c < k; ++c) {
        const Element* first = e + q + kRunsPerCharacter * c + 1;
        double width = first[kRunsPerCharacter].start - first[0].start;
        if (width < kCharacterWidthRatio * kModulesPerCharacter * module ||
            kCharacterWidthRatio * width > kModulesPerCharacter * module)
            return false;
    }
    int stopEnd = q + kRunsPerCharacter * k + 1; // the stop's final bar
    return e[q].width >= kMinQuietModules * module &&
           e[stopEnd + 1].width >= kMinQuietModules * module;
}

enum class CodeSet { A, B, C };

// The character of value v in set A or B: set A holds ASCII 32 to 95 and
// the controls 0 to 31, set B ASCII 32 to 127. FNC4 adds 128 to it.
unsigned char SetCharacter(CodeSet set, int v, bool extended) {
    const int ascii = set == CodeSet::A ? (v < 64 ? 32 + v : v - 64) : 32 + v;
    return static_cast<unsigned char>(ascii + (extended ? 128 : 0));
}

// Appends the character in UTF-8, a control character (C0, DEL, C1) as a
// space, as the table's columns hold them.
void AppendCharacter(Str255& text, int& length, unsigned char c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
        text[++length] = ' ';
    } else if (c < 0x80) {
        text[++length] = c;
    } else {
        text[++length] = static_cast<unsigned char>(0xC0 | (c >> 6));
        text[++length] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
}

// A GS1-128 read's element string (FNC1 as ASCII 29) in its printed form,
// "(10)AB12(21)XY". False, text unchanged, when it is no element string.
bool ToGs1PrintedForm(Str255& text) {
    const std::optional<std::string> printed = Gs1PrintedForm(text.View());
    if (!printed || printed->size() > 255) return false;
    text = Str255::From(*printed);
    return true;
}

// Reads the symbol whose leading quiet zone is entry q. True when a stop
// with its trailing quiet zone and a matching check character ends it; the
// text then holds what the data characters produce. SHIFT reads the next
// character in the other of sets A and B; FNC4 (the value of the current
// set's own switch) adds 128 to the next character, or, doubled, to every
// character up to the next double FNC4. An FNC1 first in the data makes a
// GS1-128 symbol (*gs1): it is no part of the text, and each later FNC1
// separates two elements as ASCII 29.
bool ReadSymbol(const Laser* laser, int q, Str255& text, bool* gs1) {
    const Element* e = laser->elements;
    const int count = laser->elementCount;
    int length = 0;
    int lengthBeforeLast = 0; // the last character read may turn out to be the check
    CodeSet set = CodeSet::A;
    int sum = 0, lastValue = 0, lastTerm = 0;
    bool shifted = false;     // the next character is read in the other set
    bool fnc4Once = false;    // the next character is extended
    bool fnc4Latched = false; // characters are extended up to the next double FNC4
    int lastFnc4 = -2;        // position k of the last FNC4, to see it doubled
    *gs1 = false;
    text.SetLength(0);

    for (int k = 1;; ++k) {
        int b = q + kRunsPerCharacter * (k - 1);
        if (b + 9 > count) return false;
        int v = MatchCharacter(e + b + 1, k == 1);
        if (v < 0) return false;

        if (k == 1) {
            if (v == kStop) return false;
            set = v == kStartA ? CodeSet::A : v == kStartB ? CodeSet::B : CodeSet::C;
            sum = v;
            continue;
        }

        if (v == kStop) {
            if (!IsQuietZone(laser, b + 8, kQuietZoneRatio * e[b + 7].width)) return false;
            if (k < kMinCharacters) return false;
            if ((sum - lastTerm) % kCheckModulus != lastValue) return false;
            if (ReadHarder(laser) ? !LocalProportionsFit(laser, q, k) : !ProportionsFit(e, q, k))
                return false;
            if (lengthBeforeLast == 0) return false; // nothing but code-set switches
            text.SetLength(lengthBeforeLast);
            // A GS1-128 symbol whose data are no element strings is read as
            // the plain Code 128 it also is: its separators as spaces.
            if (*gs1 && !ToGs1PrintedForm(text)) {
                *gs1 = false;
                for (std::size_t i = 1; i <= text.Length(); ++i)
                    if (text[i] == kGs1Separator) text[i] = ' ';
            }
            return true;
        }

        lengthBeforeLast = length;
        if (v == kFnc1 && (k == 2 || *gs1)) {
            if (k == 2)
                *gs1 = true;
            else
                text[++length] = kGs1Separator;
            lastValue = v;
            lastTerm = (k - 1) * v;
            sum += lastTerm;
            continue;
        }
        const bool isFnc4 =
            (set == CodeSet::A && v == kCodeA) || (set == CodeSet::B && v == kCodeB);
        if (isFnc4) {
            if (lastFnc4 == k - 1) { // doubled: latch or unlatch
                fnc4Latched = !fnc4Latched;
                fnc4Once = false;
                lastFnc4 = -2;
            } else {
                fnc4Once = true;
                lastFnc4 = k;
            }
        } else if (v == kCodeC && set != CodeSet::C) {
            set = CodeSet::C;
        } else if (v == kCodeB && set != CodeSet::B) {
            set = CodeSet::B;
        } else if (v == kCodeA && set != CodeSet::A) {
            set = CodeSet::A;
        } else if (v == kShift && set != CodeSet::C) {
            shifted = true;
        } else if (set == CodeSet::C) {
            // 102 to 105 have no digits: they append nothing but still count
            // in the weighted sum like any other data character.
            if (v <= kCodeC) {
                text[++length] = '0' + v / 10;
                text[++length] = '0' + v % 10;
            }
            fnc4Once = false;
        } else if (v < kFirstFunction) {
            CodeSet readIn = shifted ? (set == CodeSet::A ? CodeSet::B : CodeSet::A) : set;
            bool extended = fnc4Latched != fnc4Once; // a single FNC4 inverts the latch
            AppendCharacter(text, length, SetCharacter(readIn, v, extended));
            shifted = false;
            fnc4Once = false;
        } else {
            text[++length] = ' '; // FNC1 to FNC3 and start values
            shifted = false;
            fnc4Once = false;
        }
        lastValue = v;
        lastTerm = (k - 1) * v;
        sum += lastTerm;
    }
}

} // namespace

void InitializeCode128() {
    for (Code128Digit& digit : code128Digit) {
        auto [leading1, leading2, trailing1, trailing2] = EdgeDistances(digit.pattern);
        digit.leading1 = leading1;
        digit.leading2 = leading2;
        digit.trailing1 = trailing1;
        digit.trailing2 = trailing2;
    }
}

bool DecodeBarsCode128(Laser* laser) {
    const Element* e = laser->elements;
    const int count = laser->elementCount;
    // Past this q not even a first character with the two runs after it fits.
    for (int q = 0; q + 9 <= count; ++q) {
        if (e[q].isBar || !IsQuietZone(laser, q, kQuietZoneRatio * e[q + 1].width)) continue;
        bool gs1 = false;
        if (ReadSymbol(laser, q, laser->text, &gs1)) {
            laser->symbology = gs1 ? kSymbologyGS1_128 : kSymbologyCode128;
            return true;
        }
    }
    return false;
}
