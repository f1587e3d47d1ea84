// The pictures of the tests, one image type: a Frame is what the camera
// delivers into the scanner's frame buffer (words 0xAARRGGBB, 640x480; the
// pictures given to kestrix-scan may be of any size), a GrayImage the scene
// in front of it (grey levels 0..255 as floats) before the camera's blur,
// lighting and noise turn it into a frame.
#pragma once

#include "engine/laser.h"

#include <cmath>
#include <cstdint>
#include <vector>

template <class T, T kBlank>
struct Image {
    int width = kFrameWidth;
    int height = kFrameHeight;
    std::vector<T> pixels = std::vector<T>(std::size_t(kFrameWidth) * kFrameHeight, kBlank);

    Image() = default;
    Image(int w, int h, T fill = kBlank) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}

    T& At(int x, int y) { return pixels[std::size_t(y) * width + x]; }
    T At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

using Frame = Image<std::uint32_t, 0xFF000000u>;
using GrayImage = Image<float, 0.0f>;

// An opaque grey frame word.
constexpr std::uint32_t GreyWord(int level) {
    return 0xFF000000u | std::uint32_t(level) * 0x010101u;
}

// The bilinear sample at (x, y) of at(xi, yi), the picture's values at
// whole coordinates.
template <class At>
double Bilinear(double x, double y, At at) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    return (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy) +
           (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
}

// What the camera does to a scene. Separable Gaussian blur (defocus); a
// sigma below 0.05 pixels leaves the image alone.
void GaussianBlur(GrayImage& image, double sigma);

// Multiplies the scene by a light ramp: 1 + strength at one edge of the
// frame, 1 - strength at the other, along the direction angleDegrees.
void ApplyLighting(GrayImage& image, double strength, double angleDegrees);

// Quantises the scene into a frame with a faint paper tint (red a little
// above, blue a little below the grey level) and sensor noise of noiseSigma
// grey levels a channel, drawn from seed.
Frame ToFrame(const GrayImage& scene, double noiseSigma, std::uint64_t seed);
