// Big-endian fields of the stored formats: the flattened collections, the
// preferences file and the scanner settings store numbers most significant
// byte first, whatever the host's byte order.
#pragma once

#include <bit>
#include <cstdint>
#include <span>
#include <vector>

inline std::uint16_t LoadBigEndian16(std::span<const std::uint8_t, 2> b) {
    return std::uint16_t((b[0] << 8) | b[1]);
}

inline std::uint32_t LoadBigEndian32(std::span<const std::uint8_t, 4> b) {
    return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) |
           std::uint32_t(b[3]);
}

inline std::uint64_t LoadBigEndian64(std::span<const std::uint8_t, 8> b) {
    return (std::uint64_t(LoadBigEndian32(b.first<4>())) << 32) | LoadBigEndian32(b.last<4>());
}

inline void StoreBigEndian16(std::uint16_t v, std::span<std::uint8_t, 2> b) {
    b[0] = std::uint8_t(v >> 8);
    b[1] = std::uint8_t(v);
}

inline void StoreBigEndian32(std::uint32_t v, std::span<std::uint8_t, 4> b) {
    for (int i = 0; i < 4; ++i) b[i] = std::uint8_t(v >> (24 - 8 * i));
}

inline void StoreBigEndian64(std::uint64_t v, std::span<std::uint8_t, 8> b) {
    StoreBigEndian32(std::uint32_t(v >> 32), b.first<4>());
    StoreBigEndian32(std::uint32_t(v), b.last<4>());
}

// An IEEE-754 double as its 64 bits, big-endian.
inline double LoadBigEndianDouble(std::span<const std::uint8_t, 8> b) {
    return std::bit_cast<double>(LoadBigEndian64(b));
}
inline void StoreBigEndianDouble(double v, std::span<std::uint8_t, 8> b) {
    StoreBigEndian64(std::bit_cast<std::uint64_t>(v), b);
}

// Appends v to out, big-endian.
inline void AppendBigEndian16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    std::uint8_t b[2];
    StoreBigEndian16(v, b);
    out.insert(out.end(), b, b + 2);
}
inline void AppendBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t b[4];
    StoreBigEndian32(v, b);
    out.insert(out.end(), b, b + 4);
}

// Reads big-endian fields off the front of a byte string without ever
// reading past its end: every read says whether the bytes were there.
struct ByteReader {
    std::span<const std::uint8_t> rest; // what is left to read

    bool Read16(std::uint16_t& v) {
        if (rest.size() < 2) return false;
        v = LoadBigEndian16(rest.first<2>());
        rest = rest.subspan(2);
        return true;
    }
    bool Read32(std::uint32_t& v) {
        if (rest.size() < 4) return false;
        v = LoadBigEndian32(rest.first<4>());
        rest = rest.subspan(4);
        return true;
    }
    // Takes n bytes; false (and nothing taken) when fewer are left.
    bool Take(std::uint64_t n, std::span<const std::uint8_t>& out) {
        if (n > rest.size()) return false;
        out = rest.first(std::size_t(n));
        rest = rest.subspan(std::size_t(n));
        return true;
    }
};
