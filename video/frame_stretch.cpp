// Separable resampling with a triangle ("tent") kernel: one unit wide when
// enlarging (plain bilinear), as wide as the shrink factor when shrinking,
// so each frame pixel averages the source pixels it covers.
#include "video/frame_stretch.h"

#include "engine/laser.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kRgb = 3;

// The source positions and normalised weights of one output pixel.
struct Taps {
    int first = 0;              // first source position (clamped ones repeat an edge)
    std::vector<float> weights; // one per position from first on
};

// The taps of every output pixel along an axis of inSize pixels shrunk or
// enlarged to outSize.
std::vector<Taps> AxisTaps(int inSize, int outSize) {
    const double scale = double(inSize) / outSize;
    const double radius = std::max(1.0, scale);
    std::vector<Taps> axis(static_cast<std::size_t>(outSize));
    for (int o = 0; o < outSize; ++o) {
        const double centre = (o + 0.5) * scale - 0.5;
        Taps& taps = axis[std::size_t(o)];
        taps.first = int(std::ceil(centre - radius));
        const int last = int(std::floor(centre + radius));
        double sum = 0;
        for (int s = taps.first; s <= last; ++s) {
            const double w = std::max(0.0, 1.0 - std::abs(s - centre) / radius);
            taps.weights.push_back(float(w));
            sum += w;
        }
        for (float& w : taps.weights) w = float(w / sum);
    }
    return axis;
}

int Clamp(int value, int size) {
    return std::clamp(value, 0, size - 1);
}

} // namespace

void StretchToFrame(const RgbPicture& picture, std::span<std::uint32_t> frame,
                    std::size_t rowPixels) {
    const std::vector<Taps> across = AxisTaps(picture.width, kFrameWidth);
    const std::vector<Taps> down = AxisTaps(picture.height, kFrameHeight);

    // One source row as RGB floats, transparency composed over white.
    std::vector<float> source(std::size_t(picture.width) * kRgb);
    auto loadRow = [&](int y) {
        const std::uint8_t* row = picture.pixels + std::size_t(y) * picture.rowBytes;
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = row + std::size_t(x) * picture.channels;
            const float alpha = picture.channels == 4 ? p[3] / 255.0f : 1.0f;
            for (int c = 0; c < kRgb; ++c)
                source[std::size_t(x) * kRgb + c] = p[c] * alpha + 255.0f * (1 - alpha);
        }
    };

    // Every source row shrunk or enlarged across first, then the rows mixed.
    std::vector<float> rows(std::size_t(picture.height) * kFrameWidth * kRgb);
    for (int y = 0; y < picture.height; ++y) {
        loadRow(y);
        float* out = rows.data() + std::size_t(y) * kFrameWidth * kRgb;
        for (int x = 0; x < kFrameWidth; ++x) {
            const Taps& taps = across[std::size_t(x)];
            float sum[kRgb] = {};
            for (std::size_t k = 0; k < taps.weights.size(); ++k) {
                const float* p =
                    source.data() + std::size_t(Clamp(taps.first + int(k), picture.width)) * kRgb;
                for (int c = 0; c < kRgb; ++c) sum[c] += taps.weights[k] * p[c];
            }
            std::copy_n(sum, kRgb, out + std::size_t(x) * kRgb);
        }
    }
    for (int y = 0; y < kFrameHeight; ++y) {
        const Taps& taps = down[std::size_t(y)];
        std::uint32_t* out = frame.data() + std::size_t(y) * rowPixels;
        for (int x = 0; x < kFrameWidth; ++x) {
            float sum[kRgb] = {};
            for (std::size_t k = 0; k < taps.weights.size(); ++k) {
                const float* p =
                    rows.data() +
                    (std::size_t(Clamp(taps.first + int(k), picture.height)) * kFrameWidth + x) *
                        kRgb;
                for (int c = 0; c < kRgb; ++c) sum[c] += taps.weights[k] * p[c];
            }
            std::uint32_t word = 0xFF000000u;
            for (int c = 0; c < kRgb; ++c)
                word |= std::uint32_t(std::clamp(std::lround(sum[c]), 0L, 255L)) << (16 - 8 * c);
            out[x] = word;
        }
    }
}
