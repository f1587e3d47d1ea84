#include "tests/support/plain_sensor.h"

#include "engine/laser.h"
#include "engine/scanner_instance.h"
#include "engine/sensor.h"

#include <algorithm>

void AnalyzeSensorPlain(const ScannerInstance* instance, Laser* laser) {
    int samples[kMaxElements];
    laser->elementCount = 0;
    int n = laser->sampleCount;
    if (!instance->frameBase || n <= 0) return;

    n = SampleLaser(instance, laser, samples);

    int count = 0;
    double lastEdge = 0.0, prevLevel = 0.5;
    for (int i = 0; i < n; ++i) {
        int min = 1020, max = 0;
        for (int k = std::max(0, i - 32); k <= std::min(n - 1, i + 32); ++k) {
            min = std::min(min, samples[k]);
            max = std::max(max, samples[k]);
        }
        double level = max - min > 149 ? double(samples[i] - min) / double(max - min) : 0.5;
        bool rising = prevLevel < 0.5 && level >= 0.5;
        bool falling = prevLevel >= 0.5 && level < 0.5;
        if (rising || falling) {
            double edge = i + (0.5 - prevLevel) / (level - prevLevel);
            laser->elements[count++] = {lastEdge, edge - lastEdge, rising ? 1u : 0u};
            lastEdge = edge;
        }
        prevLevel = level;
    }
    if (count > 0) {
        laser->elements[count] = {lastEdge, n - lastEdge, laser->elements[count - 1].isBar ^ 1u};
        ++count;
        if (laser->elements[count - 1].isBar) laser->elements[count++] = {double(n), 0.0, 0u};
    }
    laser->elementCount = count;
}
