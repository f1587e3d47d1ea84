#include "run_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

std::unique_ptr<Laser> MakeLaser() {
    return std::make_unique<Laser>();
}

void LoadRuns(Laser& laser, std::span<const double> widths, bool firstIsBar) {
    double start = 0;
    std::uint32_t bar = firstIsBar ? 1 : 0;
    int n = 0;
    for (double w : widths) {
        if (n == kMaxElements) break;
        laser.elements[n++] = {start, w, bar};
        start += w;
        bar ^= 1;
    }
    laser.elementCount = n;
    laser.sampleCount = static_cast<std::int32_t>(start);
}

void LoadRuns(Laser& laser, std::initializer_list<double> widths, bool firstIsBar) {
    LoadRuns(laser, std::span<const double>(widths.begin(), widths.size()), firstIsBar);
}

std::vector<double> Scaled(std::span<const double> modules, double samplesPerModule) {
    std::vector<double> out(modules.begin(), modules.end());
    for (double& w : out) w *= samplesPerModule;
    return out;
}

std::vector<double> Reversed(std::span<const double> widths) {
    return {widths.rbegin(), widths.rend()};
}

std::vector<double> Jittered(const std::vector<double>& modules, double samplesPerModule,
                             double jitter, std::mt19937& rng) {
    std::uniform_real_distribution<double> shift(-jitter, jitter);
    std::vector<double> edges{0.0};
    for (double m : modules) edges.push_back(edges.back() + m);
    for (std::size_t i = 1; i + 1 < edges.size(); ++i) edges[i] += shift(rng);
    std::vector<double> widths;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i)
        widths.push_back((edges[i + 1] - edges[i]) * samplesPerModule);
    return widths;
}

unsigned TestSeed(unsigned fallback) {
    const char* fromEnvironment = std::getenv("KESTRIX_TEST_SEED");
    return fromEnvironment ? unsigned(std::strtoul(fromEnvironment, nullptr, 10)) : fallback;
}

std::optional<std::string> DecodeText(bool (*decode)(Laser*), OSType symbology,
                                      std::span<const double> widths) {
    auto laser = MakeLaser();
    LoadRuns(*laser, widths);
    if (!decode(laser.get())) return std::nullopt;
    EXPECT_EQ(laser->symbology, symbology);
    return laser->text.ToString();
}
