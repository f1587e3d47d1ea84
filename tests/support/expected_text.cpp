// Expected texts from the standards.
#include "tests/support/expected_text.h"

namespace {

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

std::string Code39Text(std::string_view data) {
    std::string text(data);
    for (char& c : text)
        if (c == ' ') c = '_';
    return text;
}
