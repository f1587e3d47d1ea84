// Decodes a still picture with GdkPixbuf and stretches it to the 640x480
// frame. GdkPixbuf reads what image viewers read: JPEG in CMYK as well as
// RGB, every BMP depth, TIFF, GIF (its first picture), WebP through its
// loader; and it refuses a damaged file with an error instead of stalling.
#pragma once

#include "video/still_format.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Pictures with more pixels than this are refused before their pixels are
// decoded (a damaged header can claim any size): 256 megapixels, more than
// any phone camera or an A4 page scanned at 1200 dpi.
constexpr std::uint64_t kMaxStillPixels = std::uint64_t(1) << 28;

// Reads the picture in format from fd (from its current position to its end)
// into frame: 480 rows of 640 words, rowPixels words apart. False with the
// reason in plain words in error ("damaged PNG file").
bool ReadStillImage(int fd, const StillFormat& format, std::span<std::uint32_t> frame,
                    std::size_t rowPixels, std::string& error);
