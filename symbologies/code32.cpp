// Code 32, the Italian pharmacy code. Its symbol is a Code 39 symbol of six
// characters that write a nine-digit number in base 32 (digits and the
// consonants, most significant first); the number's last digit checks the
// other eight. The number is shown as "A" and its nine digits.
#include "symbologies/decoders.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::string_view kBase32Digits = "0123456789BCDFGHJKLMNPQRSTUVWXYZ";
constexpr int kSymbolCharacters = 6;
constexpr int kNumberDigits = 9;
constexpr std::uint32_t kNumberLimit = 1'000'000'000;
constexpr char kPrefix = 'A';

static_assert(kBase32Digits.size() == 32);

// The check of the first eight digits: those in odd places (first, third,
// ...) count as they are, those in even places doubled, the two digits of a
// double added.
int CheckDigit(const std::array<int, kNumberDigits>& digits) {
    int sum = 0;
    for (int i = 0; i < kNumberDigits - 1; ++i) {
        int value = i % 2 == 0 ? digits[i] : 2 * digits[i];
        sum += value / 10 + value % 10;
    }
    return sum % 10;
}

} // namespace

bool ReadCode39AsCode32(Str255& text) {
    if (text.Length() != kSymbolCharacters) return false;
    std::uint32_t number = 0;
    for (char c : text.View()) {
        const std::size_t digit = kBase32Digits.find(c);
        if (digit == std::string_view::npos) return false;
        number = number * 32 + std::uint32_t(digit);
    }
    if (number >= kNumberLimit) return false;

    std::array<int, kNumberDigits> digits{};
    for (int i = kNumberDigits - 1; i >= 0; --i, number /= 10) digits[i] = int(number % 10);
    if (CheckDigit(digits) != digits[kNumberDigits - 1]) return false;

    text.SetLength(kNumberDigits + 1);
    text[1] = kPrefix;
    for (int i = 0; i < kNumberDigits; ++i) text[i + 2] = char('0' + digits[i]);
    return true;
}
