// The application identifiers' lengths, by their first two digits: the
// number of the AI's own digits, and the whole length (AI and data) of the
// elements of predefined length, as the GS1 General Specifications list
// them. An element of another AI may end early with an FNC1.
#include "symbologies/gs1_128.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

struct AiLength {
    std::uint8_t aiDigits = 0;   // 0: no AI begins with these two digits
    std::uint8_t predefined = 0; // AI and data together, 0 for a variable length
};

// Elements of predefined length: the GS1 General Specifications' table of
// the first two digits of an AI whose element string has a fixed length.
struct Predefined {
    std::uint8_t prefix, length;
};
constexpr std::array<Predefined, 22> predefinedLengths = {{
    {0, 20},  {1, 16},  {2, 16},  {3, 16},  {4, 18},  {11, 8},  {12, 8}, {13, 8},
    {14, 8},  {15, 8},  {16, 8},  {17, 8},  {18, 8},  {19, 8},  {20, 4}, {31, 10},
    {32, 10}, {33, 10}, {34, 10}, {35, 10}, {36, 10}, {41, 16},
}};

// How many digits the AIs beginning with each pair of digits have.
constexpr int AiDigits(int prefix) {
    if (prefix <= 4) return 2;                  // 00 SSCC, 01 GTIN, 02 content, 03-04
    if (prefix >= 10 && prefix <= 22) return 2; // batch, dates, variant, serial, ...
    if (prefix >= 23 && prefix <= 25) return 3; // 235, 240-243, 250-255
    if (prefix == 30 || prefix == 37) return 2; // counts
    if (prefix >= 31 && prefix <= 36) return 4; // measures, 310n to 369n
    if (prefix == 39) return 4;                 // amounts, 390n to 395n
    if (prefix >= 40 && prefix <= 42) return 3; // orders, locations, postal codes
    if (prefix == 43) return 4;                 // 4300 to 4333
    if (prefix == 70 || prefix == 72) return 4; // 7001 to 7040, 7230 to 7259
    if (prefix == 71) return 3;                 // 710 to 717
    if (prefix >= 80 && prefix <= 82) return 4; // 8001 to 8200
    if (prefix >= 90) return 2;                 // company internal
    return 0;
}

constexpr std::array<AiLength, 100> aiLengths = [] {
    std::array<AiLength, 100> table{};
    for (int p = 0; p < 100; ++p) table[p].aiDigits = std::uint8_t(AiDigits(p));
    for (const Predefined& p : predefinedLengths) table[p.prefix].predefined = p.length;
    return table;
}();

static_assert(std::ranges::all_of(predefinedLengths,
                                  [](const Predefined& p) { return AiDigits(p.prefix) > 0; }));

bool IsDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// GS1 data are printable ASCII without the space.
bool IsDataCharacter(char c) {
    return c > ' ' && c < 0x7F;
}

struct Element {
    std::string_view ai, data;
    bool predefined = false;
};

// The element at the front of text, or nullopt; text loses it (and the
// separator after it).
std::optional<Element> TakeElement(std::string_view& text, char end) {
    if (text.size() < 2 || !IsDigits(text.substr(0, 2))) return std::nullopt;
    const AiLength length = aiLengths[(text[0] - '0') * 10 + (text[1] - '0')];
    if (length.aiDigits == 0 || text.size() < length.aiDigits) return std::nullopt;
    Element element;
    element.ai = text.substr(0, length.aiDigits);
    if (!IsDigits(element.ai)) return std::nullopt;
    text.remove_prefix(length.aiDigits);
    if (end == ')') {
        if (text.empty() || text.front() != ')') return std::nullopt;
        text.remove_prefix(1);
        end = '(';
    }
    if (length.predefined) {
        const std::size_t n = length.predefined - length.aiDigits;
        if (text.size() < n || !IsDigits(text.substr(0, n))) return std::nullopt;
        element.data = text.substr(0, n);
        element.predefined = true;
        text.remove_prefix(n);
        if (end == kGs1Separator && !text.empty() && text.front() == kGs1Separator)
            text.remove_prefix(1); // an FNC1 that was not needed
        return element;
    }
    const std::size_t n = std::min(text.find(end), text.size());
    element.data = text.substr(0, n);
    text.remove_prefix(n);
    if (end == kGs1Separator && !text.empty()) {
        text.remove_prefix(1);
        if (text.empty()) return std::nullopt; // a separator before nothing
    }
    if (element.data.empty()) return std::nullopt;
    for (char c : element.data)
        if (!IsDataCharacter(c) || c == '(') return std::nullopt;
    return element;
}

} // namespace

std::optional<std::string> Gs1PrintedForm(std::string_view elementString) {
    if (elementString.empty()) return std::nullopt;
    std::string printed;
    while (!elementString.empty()) {
        const std::optional<Element> element = TakeElement(elementString, kGs1Separator);
        if (!element) return std::nullopt;
        printed += '(';
        printed += element->ai;
        printed += ')';
        printed += element->data;
    }
    return printed;
}

std::optional<std::string> Gs1ElementString(std::string_view printed) {
    if (printed.empty()) return std::nullopt;
    std::string elements;
    bool separate = false; // the element before was not of predefined length
    while (!printed.empty()) {
        if (printed.front() != '(') return std::nullopt;
        printed.remove_prefix(1);
        const std::optional<Element> element = TakeElement(printed, ')');
        if (!element) return std::nullopt;
        if (separate) elements += kGs1Separator;
        elements += element->ai;
        elements += element->data;
        separate = !element->predefined;
    }
    return elements;
}
