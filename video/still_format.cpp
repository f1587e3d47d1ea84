// Signatures of the still-picture formats that image viewers open and that
// users scan: photographs (JPEG, WebP, PNG, and HEIC and AVIF from phones),
// screenshots, flatbed scans (TIFF, PNM), barcode generators' SVG, old
// Windows bitmaps and icons, XPM, Targa and GIFs.
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
constexpr StillFormat kIco{"ICO", "ico"};
constexpr StillFormat kXpm{"XPM", "xpm"};
constexpr StillFormat kSvg{"SVG", "svg"};
constexpr StillFormat kTga{"TGA", "tga"};
constexpr StillFormat kHeic{"HEIC", "heif/avif"};
constexpr StillFormat kAvif{"AVIF", "heif/avif"};

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
    Signature{0, "GIF8"sv, kGif}, // GIF87a, GIF89a, or a damaged one
    Signature{0, "BM"sv, kBmp},
    Signature{0, "II*\0"sv, kTiff},
    Signature{0, "MM\0*"sv, kTiff},
    Signature{0, "RIFF"sv, kWebP},
    Signature{0, "\0\0\1\0"sv, kIco},
    Signature{0, "\0\0\2\0"sv, kIco}, // a cursor
    Signature{0, "/* XPM */"sv, kXpm},
};

// HEIF pictures are ISO media files, as MP4 videos are: the brand after
// "ftyp" tells them apart.
constexpr std::size_t kBrandAt = 8;
constexpr std::array<std::string_view, 9> kHeicBrands = {"heic", "heix", "heim", "heis", "hevc",
                                                         "hevx", "hevm", "hevs", "mif1"};
constexpr std::array<std::string_view, 2> kAvifBrands = {"avif", "avis"};

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

std::string_view Text(std::span<const std::byte> head) {
    return {reinterpret_cast<const char*>(head.data()), head.size()};
}

const StillFormat* HeifFormat(std::span<const std::byte> head) {
    const std::string_view text = Text(head);
    if (text.size() < kBrandAt + 4 || text.substr(4, 4) != "ftyp") return nullptr;
    const std::string_view brand = text.substr(kBrandAt, 4);
    if (std::ranges::find(kAvifBrands, brand) != kAvifBrands.end()) return &kAvif;
    if (std::ranges::find(kHeicBrands, brand) != kHeicBrands.end()) return &kHeic;
    return nullptr;
}

// An SVG file: XML whose first element, within the head, is <svg>.
bool IsSvg(std::span<const std::byte> head) {
    std::string_view text = Text(head);
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    text.remove_prefix(std::min(text.find_first_not_of(" \t\r\n"), text.size()));
    if (!text.starts_with("<?xml") && !text.starts_with("<svg") && !text.starts_with("<!"))
        return false;
    return text.find("<svg") != std::string_view::npos;
}

// A Targa file has no signature at its start; its 18-byte header is told
// by values that nothing else holds together: a colour map flag of 0 or 1
// (1 for the colour-mapped kinds), a known image kind, a non-zero size and
// a usual depth, and no colour map described when there is none.
constexpr std::size_t kTgaHeaderBytes = 18;
constexpr std::array<std::uint8_t, 6> kTgaImageTypes = {1, 2, 3, 9, 10, 11};
constexpr std::array<std::uint8_t, 5> kTgaDepths = {8, 15, 16, 24, 32};

bool IsTga(std::span<const std::byte> head) {
    if (head.size() < kTgaHeaderBytes) return false;
    auto at = [&](std::size_t i) { return std::uint8_t(head[i]); };
    const std::uint8_t mapType = at(1), imageType = at(2);
    const bool mapped = imageType == 1 || imageType == 9;
    if (mapType > 1 || mapped != (mapType == 1) ||
        std::ranges::find(kTgaImageTypes, imageType) == kTgaImageTypes.end() ||
        std::ranges::find(kTgaDepths, at(16)) == kTgaDepths.end() || (at(17) & 0xC0) != 0)
        return false;
    if (mapType == 0)
        for (std::size_t i = 3; i < 8; ++i)
            if (at(i) != 0) return false;
    const int width = at(12) | at(13) << 8, height = at(14) | at(15) << 8;
    return width > 0 && height > 0;
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
        // An icon file counts its pictures next; a Targa picture starts
        // with the same four bytes and has zeros there.
        if (s.format.name == kIco.name && (head.size() < 6 || (head[4] | head[5]) == std::byte(0)))
            break;
        return &s.format;
    }
    if (IsPnm(head)) return &kPnm;
    if (IsSvg(head)) return &kSvg;
    if (const StillFormat* heif = HeifFormat(head)) return heif;
    return IsTga(head) ? &kTga : nullptr;
}

bool PlausibleStillHeader(const StillFormat& format, std::span<const std::byte> head) {
    if (format.name != kBmp.name) return true;
    // BITMAPINFOHEADER and later: the depth at 28, the colours used at 46.
    constexpr std::size_t kDepthAt = 28, kColoursAt = 46, kInfoHeaderBytes = 40;
    if (head.size() < kColoursAt + 4 || std::uint8_t(head[kBmpInfoHeaderAt]) < kInfoHeaderBytes)
        return true;
    auto le = [&](std::size_t at, int bytes) {
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i) v = v << 8 | std::uint8_t(head[at + std::size_t(i)]);
        return v;
    };
    const std::uint32_t depth = le(kDepthAt, 2), colours = le(kColoursAt, 4);
    return depth > 8 || colours <= (std::uint32_t(1) << depth);
}
