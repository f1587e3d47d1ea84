#include "tests/support/runs.h"

#include <gtest/gtest.h>

#include <algorithm>

std::unique_ptr<Laser> MakeLaser() {
    return std::make_unique<Laser>();
}

void LoadRuns(Laser& laser, std::span<const double> widths) {
    double start = 0;
    std::uint32_t bar = 0;
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

std::vector<double> Scaled(std::span<const double> modules, double samplesPerModule) {
    std::vector<double> out(modules.begin(), modules.end());
    for (double& w : out) w *= samplesPerModule;
    return out;
}

std::vector<double> Reversed(std::span<const double> widths) {
    return {widths.rbegin(), widths.rend()};
}

std::vector<double> ZintRuns(int symbology, std::string_view data, double leadingQuiet,
                             double trailingQuiet, const EncodeOptions& options) {
    BarPattern pattern = EncodeBars(symbology, data, options);
    EXPECT_TRUE(pattern.Ok()) << data << ": " << pattern.error;
    if (!pattern.Ok()) return {};
    std::vector<double> runs{leadingQuiet};
    for (double w : RunWidths(pattern)) runs.push_back(w);
    if (trailingQuiet > 0) runs.push_back(trailingQuiet);
    return runs;
}

std::vector<double> ReversedGroup(std::vector<double> runs, std::size_t first, std::size_t count) {
    std::reverse(runs.begin() + long(first), runs.begin() + long(first + count));
    return runs;
}

std::optional<std::string> DecodeText(bool (*decode)(Laser*), OSType symbology,
                                      std::span<const double> widths) {
    auto laser = MakeLaser();
    LoadRuns(*laser, widths);
    if (!decode(laser.get())) return std::nullopt;
    EXPECT_EQ(laser->symbology, symbology);
    return laser->text.ToString();
}

std::optional<std::string> DecodeModules(bool (*decode)(Laser*), OSType symbology,
                                         std::span<const double> modules, double samplesPerModule) {
    return DecodeText(decode, symbology, Scaled(modules, samplesPerModule));
}

namespace {

std::vector<double> Jittered(const std::vector<double>& modules, double samplesPerModule,
                             double jitter, TestRandom& rng) {
    std::vector<double> edges{0.0};
    for (double m : modules) edges.push_back(edges.back() + m);
    for (std::size_t i = 1; i + 1 < edges.size(); ++i) edges[i] += rng.Uniform(-jitter, jitter);
    std::vector<double> widths;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i)
        widths.push_back((edges[i + 1] - edges[i]) * samplesPerModule);
    return widths;
}

std::vector<double> WithJunk(const std::vector<double>& symbol, TestRandom& rng) {
    std::vector<double> runs;
    for (int n = 2 * rng.Int(0, 4); n > 0; --n) runs.push_back(rng.Int(1, 3));
    runs.insert(runs.end(), symbol.begin(), symbol.end());
    for (int n = rng.Int(0, 6); n > 0; --n) runs.push_back(rng.Int(1, 3));
    return runs;
}

} // namespace

void ExpectRoundTrips(const RoundTrip& trip) {
    SCOPED_TRACE("seed " + std::to_string(trip.seed));
    TestRandom rng(trip.seed);
    for (int trial = 0; trial < trip.trials; ++trial) {
        auto [data, text] = trip.draw(rng);
        const double ratio = trip.maxRatio > 0 ? rng.Uniform(trip.minRatio, trip.maxRatio) : 0;
        std::vector<double> modules =
            WithJunk(ZintRuns(trip.zintSymbology, data, 10, 10, {ratio, 0, 0}), rng);
        const double samples = rng.Uniform(trip.minSamples, trip.maxSamples);
        SCOPED_TRACE("trial " + std::to_string(trial) + ": \"" + data + "\"");
        EXPECT_EQ(
            DecodeText(trip.decode, trip.symbology, Jittered(modules, samples, trip.jitter, rng)),
            text);
    }
}
