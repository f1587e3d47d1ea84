// Tells still pictures from everything else by their first bytes, never by
// the file name: a photo saved as "scan.jpg" that is really a PNG is read
// as the PNG it is.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

struct StillFormat {
    std::string_view name;       // for messages: "PNG", "JPEG", ...
    std::string_view pixbufType; // the GdkPixbuf loader that decodes it
};

// How many leading bytes SniffStillFormat looks at.
constexpr std::size_t kSniffBytes = 512;

// The still-picture format whose signature head starts with; null when it
// is none of them (a video, another kind of file, or too short to tell).
const StillFormat* SniffStillFormat(std::span<const std::byte> head);

// False when the picture's first bytes hold a value that its decoder would
// trust to size a buffer and that no such picture has: a bitmap's colour
// count beyond what its depth allows.
bool PlausibleStillHeader(const StillFormat& format, std::span<const std::byte> head);
