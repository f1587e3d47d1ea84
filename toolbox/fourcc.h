// Four-character codes: a 32-bit value written as four characters, most
// significant byte first. They name settings, symbologies, events and tags.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using OSType = std::uint32_t;
using OSStatus = std::int32_t;

// Status codes shared by the whole program (0 is success).
constexpr OSStatus noErr = 0;
constexpr OSStatus paramErr = -50;
constexpr OSStatus ioErr = -36; // a file could not be written
constexpr OSStatus fnfErr = -43;
constexpr OSStatus userCanceledErr = -128;
constexpr OSStatus eventNotHandledErr = -9874;
constexpr OSStatus eventParameterNotFoundErr = -9870;

// "ean1"_4cc == 0x65616E31.
consteval OSType operator""_4cc(const char* s, std::size_t n) {
    if (n != 4) throw "a four-character code has four characters";
    return (OSType(std::uint8_t(s[0])) << 24) | (OSType(std::uint8_t(s[1])) << 16) |
           (OSType(std::uint8_t(s[2])) << 8) | OSType(std::uint8_t(s[3]));
}

// Builds a code from text at run time; nullopt-free: text that is not four
// bytes long yields 0, which no setting or symbology uses.
constexpr OSType FourCCFromString(std::string_view s) {
    if (s.size() != 4) return 0;
    return (OSType(std::uint8_t(s[0])) << 24) | (OSType(std::uint8_t(s[1])) << 16) |
           (OSType(std::uint8_t(s[2])) << 8) | OSType(std::uint8_t(s[3]));
}

inline std::string FourCCToString(OSType code) {
    return {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}
