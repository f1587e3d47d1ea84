// Expected texts from the standards.
#include "expected_text.h"

#include <array>
#include <cmath>

namespace {

// Code 128 symbol values 0 to 106 as element widths (bar, space, ...), the
// stop with its final two-module bar.
constexpr std::array<const char*, 107> code128Widths = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312",  "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122",  "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122",  "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123",  "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331",  "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311",  "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411",  "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412",  "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",  "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211",  "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113",  "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112",
};
constexpr int kStartA = 103, kStartB = 104, kStartC = 105, kStop = 106;
constexpr int kCodeC = 99, kCodeB = 100, kCodeA = 101;

int Digit(char c) {
    return c - '0';
}

} // namespace

char EanCheckDigit(std::string_view payload) {
    int sum = 0, weight = 3;
    for (auto it = payload.rbegin(); it != payload.rend(); ++it) {
        sum += weight * Digit(*it);
        weight = 4 - weight;
    }
    return char('0' + (10 - sum % 10) % 10);
}

bool IsCanonicalUpcE(std::string_view e) {
    char last = e[6];
    if (last == '3') return e[3] >= '3';
    if (last == '4') return e[4] != '0';
    if (last >= '5') return e[5] != '0';
    return true;
}

std::string ExpandUpcE(std::string_view e) {
    std::string ns(1, e[0]);
    std::string d(e.substr(1, 6));
    switch (d[5]) {
    case '0':
    case '1':
    case '2':
        return ns + d.substr(0, 2) + d[5] + "0000" + d.substr(2, 3);
    case '3':
        return ns + d.substr(0, 3) + "00000" + d.substr(3, 2);
    case '4':
        return ns + d.substr(0, 4) + "00000" + d[4];
    default:
        return ns + d.substr(0, 5) + "0000" + d[5];
    }
}

std::optional<std::vector<int>> Code128Values(const std::vector<double>& runs) {
    std::vector<int> values;
    std::size_t i = 0;
    while (i < runs.size()) {
        bool stop = runs.size() - i == 7;
        std::string widths;
        for (std::size_t k = 0; k < (stop ? 7u : 6u) && i + k < runs.size(); ++k)
            widths += char('0' + int(std::lround(runs[i + k])));
        int found = -1;
        for (int v = 0; v < int(code128Widths.size()); ++v)
            if (widths == code128Widths[std::size_t(v)]) found = v;
        if (found < 0) return std::nullopt;
        values.push_back(found);
        i += widths.size();
    }
    return values;
}

bool Code128CheckOk(const std::vector<int>& values) {
    if (values.size() < 3) return false;
    long sum = values[0];
    for (std::size_t k = 1; k + 2 < values.size(); ++k) sum += long(k) * values[k];
    return sum % 103 == values[values.size() - 2] && values.back() == kStop;
}

std::string Code128Text(const std::vector<int>& values) {
    enum class Set { A, B, C };
    Set set = values[0] == kStartC ? Set::C : values[0] == kStartA ? Set::A : Set::B;
    std::string text;
    bool shifted = false, extendOnce = false, extendLatched = false;
    std::size_t lastFnc4 = 0;
    for (std::size_t k = 1; k + 2 < values.size(); ++k) {
        int v = values[k];
        bool fnc4 = (set == Set::A && v == kCodeA) || (set == Set::B && v == kCodeB);
        if (fnc4) { // FNC4: the next character, or doubled all up to the next double, + 128
            if (lastFnc4 == k - 1 && lastFnc4 != 0) {
                extendLatched = !extendLatched, extendOnce = false, lastFnc4 = 0;
            } else {
                extendOnce = true, lastFnc4 = k;
            }
        } else if (v == kCodeC && set != Set::C) {
            set = Set::C;
        } else if (v == kCodeB && set != Set::B) {
            set = Set::B;
        } else if (v == kCodeA && set != Set::A) {
            set = Set::A;
        } else if (v == 98 && set != Set::C) { // SHIFT: the next character in the other set
            shifted = true;
        } else if (set == Set::C) {
            text += char('0' + v / 10);
            text += char('0' + v % 10);
            extendOnce = false;
        } else {
            Set in = shifted ? (set == Set::A ? Set::B : Set::A) : set;
            unsigned char c = in == Set::A ? (v < 64 ? 32 + v : ' ') : (v < 95 ? 32 + v : ' ');
            if (v < 96 && extendLatched != extendOnce) { // Latin-1 in UTF-8
                text += char(0xC0 | ((c + 128) >> 6));
                text += char(0x80 | ((c + 128) & 0x3F));
            } else {
                text += char(c);
            }
            shifted = false, extendOnce = false;
        }
    }
    return text;
}

std::string Code39Text(std::string_view data) {
    std::string text(data);
    for (char& c : text)
        if (c == ' ') c = '_';
    return text;
}
