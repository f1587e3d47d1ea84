// Str255: a length-prefixed string of up to 255 bytes. Byte 0 is the length,
// bytes 1..255 the text, so position p of a text is bytes[p] (1-based), as
// the decoders write digits at fixed positions.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct Str255 {
    std::array<unsigned char, 256> bytes{};

    unsigned char& operator[](std::size_t i) { return bytes[i]; }
    unsigned char operator[](std::size_t i) const { return bytes[i]; }

    std::size_t Length() const { return bytes[0]; }
    void SetLength(std::size_t n) {
        bytes[0] = static_cast<unsigned char>(std::min<std::size_t>(n, 255));
    }
    std::string_view View() const {
        return {reinterpret_cast<const char*>(bytes.data() + 1), Length()};
    }
    std::string ToString() const { return std::string(View()); }

    // Copies text in, cut to 255 bytes.
    static Str255 From(std::string_view text) {
        Str255 s;
        std::size_t n = std::min<std::size_t>(text.size(), 255);
        std::copy_n(text.data(), n, s.bytes.begin() + 1);
        s.bytes[0] = static_cast<unsigned char>(n);
        return s;
    }

    // Byte-for-byte: the lengths and every valid byte must agree, case and
    // diacritics significant.
    friend bool operator==(const Str255& a, const Str255& b) { return a.View() == b.View(); }
};
