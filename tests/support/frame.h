// The pictures of the image tests: Frame is what the camera delivers into
// the scanner's frame buffer (640x480 words 0xAARRGGBB), GrayImage is the
// scene in front of it (grey levels 0..255 as floats) before the camera's
// blur, lighting and noise turn it into a frame.
#pragma once

#include "engine/laser.h"

#include <cstdint>
#include <vector>

struct Frame {
    std::vector<std::uint32_t> pixels =
        std::vector<std::uint32_t>(std::size_t(kFrameWidth) * kFrameHeight, 0xFF000000u);

    std::uint32_t& At(int x, int y) { return pixels[std::size_t(y) * kFrameWidth + x]; }
    std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * kFrameWidth + x]; }
};

struct GrayImage {
    int width = kFrameWidth;
    int height = kFrameHeight;
    std::vector<float> values = std::vector<float>(std::size_t(kFrameWidth) * kFrameHeight, 0.0f);

    GrayImage() = default;
    GrayImage(int w, int h, float fill) : width(w), height(h), values(std::size_t(w) * h, fill) {}

    float& At(int x, int y) { return values[std::size_t(y) * width + x]; }
    float At(int x, int y) const { return values[std::size_t(y) * width + x]; }
};
