// EAN/UPC character patterns as the digit matchers measure them: the two
// edge-to-similar-edge distances of each pattern and the widths of its outer
// elements, in modules. Left-half candidates 0-9 are the odd-parity (L)
// patterns of digits 0-9, 10-19 the even-parity (G) patterns.
#pragma once

#include <array>
#include <cstdint>

namespace ean {

// Right half (bar, space, bar, space), indexed by digit.
constexpr std::array<double, 10> rightLeadingEdges = {5, 4, 3, 5, 2, 3, 2, 4, 3, 4};  // bar + space
constexpr std::array<double, 10> rightTrailingEdges = {3, 4, 3, 5, 4, 5, 2, 4, 3, 2}; // space + bar
constexpr std::array<double, 10> rightFirstBar = {3, 2, 2, 1, 1, 1, 1, 1, 1, 3};
constexpr std::array<std::int32_t, 10> rightLastSpace = {1, 1, 2, 1, 2, 1, 4, 2, 3, 2};

// Left half (space, bar, space, bar): 0-9 odd parity, 10-19 even parity.
constexpr std::array<double, 20> leftLeadingEdges = {3, 4, 3, 5, 4, 5, 2, 4, 3, 2,
                                                     3, 4, 3, 5, 4, 5, 2, 4, 3, 2}; // bar + space
constexpr std::array<double, 20> leftTrailingEdges = {2, 3, 4, 2, 5, 4, 5, 3, 4, 3,
                                                      5, 4, 3, 5, 2, 3, 2, 4, 3, 4}; // space + bar
constexpr std::array<double, 20> leftFirstSpace = {3, 2, 2, 1, 1, 1, 1, 1, 1, 3,
                                                   1, 1, 2, 1, 2, 1, 4, 2, 3, 2};
constexpr std::array<std::int32_t, 20> leftLastBar = {1, 1, 2, 1, 2, 1, 4, 2, 3, 2,
                                                      3, 2, 2, 1, 1, 1, 1, 1, 1, 3};

// A right-half pattern is the odd-parity left pattern with bars and spaces
// swapped, and an even-parity pattern is the right pattern read backwards:
// the tables must agree on that.
constexpr bool TablesAgree() {
    for (int d = 0; d < 10; ++d) {
        if (leftFirstSpace[d] != rightFirstBar[d]) return false;
        if (leftLastBar[d] != rightLastSpace[d]) return false;
        if (leftLeadingEdges[d] != rightTrailingEdges[d]) return false;
        if (leftFirstSpace[10 + d] != rightLastSpace[d]) return false;
        if (leftLastBar[10 + d] != rightFirstBar[d]) return false;
        if (leftLeadingEdges[10 + d] != rightTrailingEdges[d]) return false;
        if (leftTrailingEdges[10 + d] != rightLeadingEdges[d]) return false;
    }
    return true;
}
static_assert(TablesAgree(), "even-parity patterns must be the right patterns reversed");

// Parity of the six left digits (bit 5 = first, set for even parity) to the
// implied first digit of an EAN-13.
constexpr std::array<std::int32_t, 10> firstDigitParity = {0, 11, 13, 14, 19, 25, 28, 21, 22, 26};

// UPC-E: parity pattern (number system 1 form) to check digit.
constexpr std::array<std::int32_t, 10> upceCheckParity = {7, 11, 13, 14, 19, 25, 28, 21, 22, 26};

// Five-digit add-on: check value to parity pattern (bit 4 = first digit).
constexpr std::array<std::int32_t, 10> parityValues = {24, 20, 18, 17, 12, 6, 3, 10, 9, 5};

} // namespace ean
