// Stretches an 8-bit RGB or RGBA picture to the 640x480 frame as the
// camera's picture is: the aspect ratio is not kept, and a shrink averages
// every source pixel under each frame pixel, so the thin bars of a large
// photograph survive. The filter is the one GStreamer's "videoscale
// method=bilinear2" uses, so a picture reads the same either way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

struct RgbPicture {
    const std::uint8_t* pixels = nullptr; // first row, top to bottom
    int width = 0;                        // pixels
    int height = 0;                       // rows
    std::size_t rowBytes = 0;             // bytes from one row to the next
    int channels = 3;                     // 3: RGB; 4: RGBA, composed over white
};

// Writes 480 rows of 640 opaque 0xAARRGGBB words, rowPixels words apart.
void StretchToFrame(const RgbPicture& picture, std::span<std::uint32_t> frame,
                    std::size_t rowPixels);
