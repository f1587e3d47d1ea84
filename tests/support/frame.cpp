// Blur, lighting and sensor noise for test frames.
#include "tests/support/frame.h"

#include "tests/support/random.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kMinSigma = 0.05;   // pixels; less is no blur
constexpr double kKernelReach = 3.5; // kernel radius in sigmas
constexpr float kRedTint = 1.02f;    // paper-like warm tint of the channels
constexpr float kBlueTint = 0.96f;
constexpr int kNoiseTableSize = 1 << 16;

// Standard normal values drawn once; frames pick from them at random, which
// is far quicker than drawing 900,000 normals per frame.
const std::vector<float>& NoiseTable() {
    static const std::vector<float> table = [] {
        TestRandom random(0x5EED);
        std::vector<float> t(kNoiseTableSize);
        for (float& v : t) v = float(random.Normal());
        return t;
    }();
    return table;
}

// Convolves one line (stride apart) with the kernel; the ends repeat their
// last pixel.
void ConvolveLine(float* line, int length, int stride, const std::vector<float>& kernel,
                  std::vector<float>& padded) {
    int radius = int(kernel.size() / 2);
    padded.resize(std::size_t(length + 2 * radius));
    for (int i = 0; i < length + 2 * radius; ++i)
        padded[std::size_t(i)] = line[std::clamp(i - radius, 0, length - 1) * stride];
    for (int i = 0; i < length; ++i) {
        float sum = 0;
        for (std::size_t k = 0; k < kernel.size(); ++k)
            sum += kernel[k] * padded[std::size_t(i) + k];
        line[i * stride] = sum;
    }
}

std::uint32_t Channel(float v) {
    return std::uint32_t(std::clamp(v + 0.5f, 0.0f, 255.0f));
}

} // namespace

void GaussianBlur(GrayImage& image, double sigma) {
    if (sigma < kMinSigma) return;
    int radius = std::max(1, int(std::ceil(kKernelReach * sigma)));
    std::vector<float> kernel(std::size_t(2 * radius + 1));
    double sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        double w = std::exp(-0.5 * i * i / (sigma * sigma));
        kernel[std::size_t(i + radius)] = float(w);
        sum += w;
    }
    for (float& w : kernel) w = float(w / sum);
    std::vector<float> padded;
    for (int y = 0; y < image.height; ++y)
        ConvolveLine(&image.At(0, y), image.width, 1, kernel, padded);
    for (int x = 0; x < image.width; ++x)
        ConvolveLine(&image.At(x, 0), image.height, image.width, kernel, padded);
}

void ApplyLighting(GrayImage& image, double strength, double angleDegrees) {
    double a = angleDegrees * 3.141592653589793 / 180.0;
    double dx = std::cos(a), dy = std::sin(a);
    double reach = std::abs(dx) * image.width / 2 + std::abs(dy) * image.height / 2;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            double t = ((x - image.width / 2.0) * dx + (y - image.height / 2.0) * dy) / reach;
            image.At(x, y) *= float(1.0 + strength * t);
        }
    }
}

Frame ToFrame(const GrayImage& scene, double noiseSigma, std::uint64_t seed) {
    Frame frame(scene.width, scene.height);
    TestRandom random(seed);
    const std::vector<float>& table = NoiseTable();
    auto sigma = float(noiseSigma);
    for (int y = 0; y < scene.height; ++y) {
        for (int x = 0; x < scene.width; ++x) {
            std::uint64_t bits = random.Next();
            auto noise = [&](int k) {
                return sigma * table[(bits >> (16 * k)) & (kNoiseTableSize - 1)];
            };
            float g = scene.At(x, y);
            std::uint32_t r = Channel(g * kRedTint + noise(0));
            std::uint32_t gr = Channel(g + noise(1));
            std::uint32_t b = Channel(g * kBlueTint + noise(2));
            frame.At(x, y) = 0xFF000000u | (r << 16) | (gr << 8) | b;
        }
    }
    return frame;
}
