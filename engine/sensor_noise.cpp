#include "engine/sensor_noise.h"

#include <array>
#include <cstdlib>

int SampleNoise(const int* samples, int n) {
    if (n < 2) return 0;
    std::array<int, kMaxNoiseStep + 1> steps{};
    for (int i = 1; i < n; ++i) {
        const int step = std::abs(samples[i] - samples[i - 1]);
        ++steps[step < kMaxNoiseStep ? step : kMaxNoiseStep];
    }
    int seen = 0;
    for (int step = 0; step < kMaxNoiseStep; ++step)
        if ((seen += steps[step]) * 2 >= n - 1) return step;
    return kMaxNoiseStep;
}
