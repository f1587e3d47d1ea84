// EAN/UPC symbols encoded from the standard's character sets, as module
// strings ("1" a bar module, "0" a space module), for hand-built run tables.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace ean_test {

inline constexpr std::array<const char*, 10> kL = {"0001101", "0011001", "0010011", "0111101",
                                                   "0100011", "0110001", "0101111", "0111011",
                                                   "0110111", "0001011"};
inline constexpr std::array<const char*, 10> kG = {"0100111", "0110011", "0011011", "0100001",
                                                   "0011101", "0111001", "0000101", "0010001",
                                                   "0001001", "0010111"};
inline constexpr std::array<const char*, 10> kR = {"1110010", "1100110", "1101100", "1000010",
                                                   "1011100", "1001110", "1010000", "1000100",
                                                   "1001000", "1110100"};
// Left-half parity of an EAN-13 by its first digit.
inline constexpr std::array<const char*, 10> kFirstDigitParity = {
    "LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
    "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};
// UPC-E parity for number system 0 by check digit (number system 1 swaps L and G).
inline constexpr std::array<const char*, 10> kUPCEParity = {"GGGLLL", "GGLGLL", "GGLLGL", "GGLLLG",
                                                            "GLGGLL", "GLLGGL", "GLLLGG", "GLGLGL",
                                                            "GLGLLG", "GLLGLG"};
// Five-digit add-on parity by check value.
inline constexpr std::array<const char*, 10> kAddOn5Parity = {
    "GGLLL", "GLGLL", "GLLGL", "GLLLG", "LGGLL", "LLGGL", "LLLGG", "LGLGL", "LGLLG", "LLGLG"};

inline int D(char c) {
    return c - '0';
}

// The check digit of the digits given (EAN rule: weights 3 and 1 from the right).
inline char CheckDigit(const std::string& digits) {
    int sum = 0, weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it, weight = 4 - weight)
        sum += D(*it) * weight;
    return char('0' + (10 - sum % 10) % 10);
}

// 13 digits, check digit included.
inline std::string EAN13Modules(const std::string& d) {
    std::string m = "101";
    for (int i = 1; i <= 6; ++i)
        m += kFirstDigitParity[D(d[0])][i - 1] == 'L' ? kL[D(d[i])] : kG[D(d[i])];
    m += "01010";
    for (int i = 7; i <= 12; ++i) m += kR[D(d[i])];
    return m + "101";
}

// 8 digits, check digit included.
inline std::string EAN8Modules(const std::string& d) {
    std::string m = "101";
    for (int i = 0; i < 4; ++i) m += kL[D(d[i])];
    m += "01010";
    for (int i = 4; i < 8; ++i) m += kR[D(d[i])];
    return m + "101";
}

// Number system, six digits and the check digit of the expansion.
inline std::string UPCEModules(char numberSystem, const std::string& six, char check) {
    std::string m = "101";
    for (int i = 0; i < 6; ++i) {
        bool g = kUPCEParity[D(check)][i] == 'G';
        if (numberSystem == '1') g = !g;
        m += g ? kG[D(six[i])] : kL[D(six[i])];
    }
    return m + "010101";
}

inline std::string AddOnModules(const std::string& digits) {
    std::string parity;
    if (digits.size() == 2) {
        int v = (10 * D(digits[0]) + D(digits[1])) % 4;
        parity = {v & 2 ? 'G' : 'L', v & 1 ? 'G' : 'L'};
    } else {
        int c =
            (3 * (D(digits[0]) + D(digits[2]) + D(digits[4])) + 9 * (D(digits[1]) + D(digits[3]))) %
            10;
        parity = kAddOn5Parity[c];
    }
    std::string m = "1011";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i) m += "01";
        m += parity[i] == 'G' ? kG[D(digits[i])] : kL[D(digits[i])];
    }
    return m;
}

// Run widths in modules of a module string, behind a leading quiet zone and
// followed by a trailing one (0 leaves it out). Starts with a space.
inline std::vector<double> Runs(const std::string& modules, double leadingQuiet = 11,
                                double trailingQuiet = 7) {
    std::vector<double> runs{leadingQuiet};
    char current = '0';
    for (char m : modules) {
        if (m == current) {
            runs.back() += 1;
        } else {
            runs.push_back(1);
            current = m;
        }
    }
    if (current == '1')
        runs.push_back(trailingQuiet);
    else
        runs.back() += trailingQuiet;
    if (runs.back() == 0) runs.pop_back();
    return runs;
}

} // namespace ean_test
