// UTF-8, the encoding of every read's text and of the names shown.
#pragma once

#include <cstddef>
#include <string_view>

// Length of the UTF-8 sequence starting at text[i]: 1 for an ASCII byte, 2 to
// 4 for a well-formed longer one, 0 where none starts (a stray or cut byte,
// an overlong form, a surrogate, a code point past U+10FFFF).
constexpr std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) return 1;
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

static_assert(Utf8SequenceLength("\xC3\xBC", 0) == 2 && Utf8SequenceLength("\xC0\xAF", 0) == 0 &&
              Utf8SequenceLength("\xED\xA0\x80", 0) == 0 && Utf8SequenceLength("\xC3", 0) == 0);
