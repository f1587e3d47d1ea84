// Signatures of the still-picture formats that image viewers open and that
// users scan: photographs (JPEG, WebP, PNG), screenshots, flatbed scans
// (TIFF, PNM), old Windows bitmaps and GIFs.
#include "video/still_format.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

struct Signature {
    std::size_t offset;     // where the bytes start
    std::string_view bytes; // what must be there
    StillFormat format;
};

constexpr StillFormat kPng{"PNG", "png"};
constexpr StillFormat kJpeg{"JPEG", "jpeg"};
constexpr StillFormat kGif{"GIF", "gif"};
constexpr StillFormat kBmp{"BMP", "bmp"};
constexpr StillFormat kTiff{"TIFF", "tiff"};
constexpr StillFormat kWebP{"WebP", "webp"};
constexpr StillFormat kPnm{"PNM", "pnm"};

using namespace std::string_view_literals;

// A WebP file is "RIFF", a 4-byte size, then "WEBP" (an AVI video has "AVI ").
constexpr Signature kWebPTag{8, "WEBP"sv, kWebP};
// "BM" alone starts many a text; a bitmap's info header follows at byte 14
// and starts with its own size, one of these.
constexpr std::array<std::uint8_t, 7> kBmpInfoHeaderSizes = {12, 40, 52, 56, 64, 108, 124};
constexpr std::size_t kBmpInfoHeaderAt = 14;

constexpr std::array kSignatures = {
    Signature{0, "\x89PNG\r\n\x1A\n"sv, kPng},
    Signature{0, "\xFF\xD8\xFF"sv, kJpeg},
    Signature{0, "GIF87a"sv, kGif},
    Signature{0, "GIF89a"sv, kGif},
    Signature{0, "BM"sv, kBmp},
    Signature{0, "II*\0"sv, kTiff},
    Signature{0, "MM\0*"sv, kTiff},
    Signature{0, "RIFF"sv, kWebP},
};

bool Matches(std::span<const std::byte> head, const Signature& s) {
    if (head.size() < s.offset + s.bytes.size()) return false;
    for (std::size_t i = 0; i < s.bytes.size(); ++i)
        if (head[s.offset + i] != std::byte(s.bytes[i])) return false;
    return true;
}

// PBM, PGM and PPM (scanimage writes them): "P1" to "P6", then a space or
// a line end.
bool IsPnm(std::span<const std::byte> head) {
    if (head.size() < 3 || head[0] != std::byte('P')) return false;
    const char kind = char(head[1]), next = char(head[2]);
    return kind >= '1' && kind <= '6' &&
           (next == ' ' || next == '\t' || next == '\n' || next == '\r');
}

bool IsBmpInfoHeader(std::span<const std::byte> head) {
    if (head.size() < kBmpInfoHeaderAt + 4) return false;
    const auto size = std::uint8_t(head[kBmpInfoHeaderAt]);
    return std::ranges::find(kBmpInfoHeaderSizes, size) != kBmpInfoHeaderSizes.end() &&
           head[kBmpInfoHeaderAt + 1] == std::byte(0) &&
           head[kBmpInfoHeaderAt + 2] == std::byte(0) && head[kBmpInfoHeaderAt + 3] == std::byte(0);
}

} // namespace

const StillFormat* SniffStillFormat(std::span<const std::byte> head) {
    for (const Signature& s : kSignatures) {
        if (!Matches(head, s)) continue;
        if (s.format.name == kWebP.name && !Matches(head, kWebPTag)) return nullptr;
        if (s.format.name == kBmp.name && !IsBmpInfoHeader(head)) return nullptr;
        return &s.format;
    }
    return IsPnm(head) ? &kPnm : nullptr;
}
