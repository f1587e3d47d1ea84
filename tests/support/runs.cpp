#include "tests/support/runs.h"

#include <gtest/gtest.h>

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

std::optional<std::string> DecodeModules(bool (*decode)(Laser*), OSType symbology,
                                         std::span<const double> modules, double samplesPerModule) {
    auto laser = MakeLaser();
    LoadRuns(*laser, Scaled(modules, samplesPerModule));
    if (!decode(laser.get())) return std::nullopt;
    EXPECT_EQ(laser->symbology, symbology);
    return laser->text.ToString();
}
