// A minimal PNG encoder: IHDR, one IDAT of stored (uncompressed) deflate
// blocks with its Adler-32, IEND, each chunk with its CRC-32.
#include "tests/support/png_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr auto crcTable = MakeCrcTable();

std::uint32_t Crc32(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes) c = crcTable[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

// One chunk: length, type and data, CRC over type and data.
void PutChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
    PutBigEndian(out, std::uint32_t(data.size()));
    std::vector<std::uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBigEndian(out, Crc32(typed));
}

// A zlib stream of stored blocks (at most 65535 bytes each).
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw) {
    constexpr std::size_t kMaxStored = 65535;
    std::vector<std::uint8_t> out = {0x78, 0x01};
    std::size_t pos = 0;
    do {
        std::size_t n = std::min(kMaxStored, raw.size() - pos);
        bool last = pos + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(std::uint8_t(n));
        out.push_back(std::uint8_t(n >> 8));
        out.push_back(std::uint8_t(~n));
        out.push_back(std::uint8_t(~n >> 8));
        out.insert(out.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
        pos += n;
    } while (pos < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

bool WriteRgb(const std::vector<std::uint8_t>& rgb, int width, int height,
              const std::string& path) {
    std::vector<std::uint8_t> raw;
    raw.reserve(std::size_t(height) * (1 + 3 * std::size_t(width)));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // filter: none
        auto row = rgb.begin() + long(y) * 3 * width;
        raw.insert(raw.end(), row, row + 3 * width);
    }
    std::vector<std::uint8_t> header;
    PutBigEndian(header, std::uint32_t(width));
    PutBigEndian(header, std::uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, no interlace

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});

    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    return std::fwrite(png.data(), 1, png.size(), file.get()) == png.size();
}

} // namespace

bool WritePng(const Frame& frame, const std::string& path) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(frame.pixels.size() * 3);
    for (std::uint32_t p : frame.pixels) {
        rgb.push_back(std::uint8_t(p >> 16));
        rgb.push_back(std::uint8_t(p >> 8));
        rgb.push_back(std::uint8_t(p));
    }
    return WriteRgb(rgb, kFrameWidth, kFrameHeight, path);
}
