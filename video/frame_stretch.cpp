// Separable resampling with a triangle ("tent") kernel: one unit wide when
// enlarging (plain bilinear), as wide as the shrink factor when shrinking,
// so each frame pixel averages the source pixels it covers. Source rows are
// taken one at a time and added into the frame rows they fall under.
#include "video/frame_stretch.h"

#include "engine/laser.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kRgb = 3;

// The taps of every output pixel along an axis of inSize pixels shrunk or
// enlarged to outSize; positions beyond the edges repeat the edge pixel.
std::vector<StretchTaps> AxisTaps(int inSize, int outSize) {
    const double scale = double(inSize) / outSize;
    const double radius = std::max(1.0, scale);
    std::vector<StretchTaps> axis(static_cast<std::size_t>(outSize));
    for (int o = 0; o < outSize; ++o) {
        const double centre = (o + 0.5) * scale - 0.5;
        const int first = int(std::ceil(centre - radius));
        const int last = int(std::floor(centre + radius));
        StretchTaps& taps = axis[std::size_t(o)];
        taps.first = std::clamp(first, 0, inSize - 1);
        taps.weights.assign(std::size_t(std::clamp(last, 0, inSize - 1) - taps.first + 1), 0.0f);
        double sum = 0;
        for (int s = first; s <= last; ++s) {
            const double w = std::max(0.0, 1.0 - std::abs(s - centre) / radius);
            taps.weights[std::size_t(std::clamp(s, 0, inSize - 1) - taps.first)] += float(w);
            sum += w;
        }
        for (float& w : taps.weights) w = float(w / sum);
    }
    return axis;
}

} // namespace

FrameStretcher::FrameStretcher(int width, int height, int channels)
    : width_(width), height_(height), channels_(channels), across_(AxisTaps(width, kFrameWidth)),
      down_(AxisTaps(height, kFrameHeight)), source_(std::size_t(width) * kRgb),
      frame_(std::size_t(kFrameWidth) * kFrameHeight * kRgb, 0.0f) {}

void FrameStretcher::AddRow(const std::uint8_t* row) {
    if (nextRow_ >= height_) return;
    const int y = nextRow_++;
    // The row as RGB floats, transparency composed over white.
    for (int x = 0; x < width_; ++x) {
        const std::uint8_t* p = row + std::size_t(x) * channels_;
        const float alpha = channels_ == 4 ? p[3] / 255.0f : 1.0f;
        for (int c = 0; c < kRgb; ++c)
            source_[std::size_t(x) * kRgb + c] = p[c] * alpha + 255.0f * (1 - alpha);
    }
    // Shrunk or enlarged across, into each frame row whose taps hold y.
    std::array<float, std::size_t(kFrameWidth) * kRgb> across;
    for (int x = 0; x < kFrameWidth; ++x) {
        const StretchTaps& taps = across_[std::size_t(x)];
        float sum[kRgb] = {};
        const float* p = source_.data() + std::size_t(taps.first) * kRgb;
        for (std::size_t k = 0; k < taps.weights.size(); ++k, p += kRgb)
            for (int c = 0; c < kRgb; ++c) sum[c] += taps.weights[k] * p[c];
        std::copy_n(sum, kRgb, across.data() + std::size_t(x) * kRgb);
    }
    while (firstOpen_ < down_.size() &&
           down_[firstOpen_].first + int(down_[firstOpen_].weights.size()) <= y)
        ++firstOpen_;
    for (std::size_t o = firstOpen_; o < down_.size() && down_[o].first <= y; ++o) {
        const float w = down_[o].weights[std::size_t(y - down_[o].first)];
        float* out = frame_.data() + o * kFrameWidth * kRgb;
        for (std::size_t i = 0; i < across.size(); ++i) out[i] += w * across[i];
    }
}

void FrameStretcher::Finish(std::span<std::uint32_t> frame, std::size_t rowPixels) const {
    for (int y = 0; y < kFrameHeight; ++y) {
        const float* in = frame_.data() + std::size_t(y) * kFrameWidth * kRgb;
        std::uint32_t* out = frame.data() + std::size_t(y) * rowPixels;
        for (int x = 0; x < kFrameWidth; ++x) {
            std::uint32_t word = 0xFF000000u;
            for (int c = 0; c < kRgb; ++c)
                word |= std::uint32_t(std::clamp(std::lround(in[x * kRgb + c]), 0L, 255L))
                        << (16 - 8 * c);
            out[x] = word;
        }
    }
}

void StretchToFrame(const RgbPicture& picture, std::span<std::uint32_t> frame,
                    std::size_t rowPixels) {
    FrameStretcher stretcher(picture.width, picture.height, picture.channels);
    for (int y = 0; y < picture.height; ++y)
        stretcher.AddRow(picture.pixels + std::size_t(y) * picture.rowBytes);
    stretcher.Finish(frame, rowPixels);
}
