#include "engine/read_harder.h"

#include "engine/decode.h"
#include "engine/frame_history.h"
#include "engine/laser.h"
#include "engine/scanner_instance.h"
#include "engine/sensor.h"
#include "engine/sensor_edges.h"
#include "engine/sensor_mean.h"
#include "engine/sensor_noise.h"
#include "engine/symbology.h"

#include <cmath>

ReadingRules AnalyzeMeanLook(Laser* laser, const int* samples, int n) {
    const int noise = SampleNoise(samples, n);
    if (noise <= kMeanNoiseFloor) {
        AnalyzeSamplesMean(laser, samples, n);
        return kRulesSecondLook;
    }
    AnalyzeSamplesMean(laser, samples, n, noise);
    return kRulesNoisyLook;
}

bool ReadLaserHarder(ScannerInstance* instance, Laser* laser, SecondLook look) {
    laser->rules = kRulesHard;
    if (Decode1DBarcode(instance, laser)) return true;
    if (laser->elementCount >= kMinRunsForSecondLook) {
        // The second look reads the samples averaged over the last frames.
        AverageOverFrames(instance, laser, laser->samples, laser->samplesTaken);
        laser->rules = kRulesSecondLook;
        const int* samples = laser->samples;
        const int n = laser->samplesTaken;
        if (look != SecondLook::kEdges) {
            laser->rules = AnalyzeMeanLook(laser, samples, n);
            if (Decode1DBarcode(instance, laser)) return true;
            laser->rules = kRulesSecondLook;
        }
        if (look != SecondLook::kMean) {
            AnalyzeSamplesEdges(laser, samples, n);
            if (Decode1DBarcode(instance, laser)) return true;
        }
    }
    laser->rules = kRulesPrinted;
    return false;
}

bool ReachesAcross(ScannerInstance* instance, const Laser* read, SecondLook look) {
    if (SymbologyHasChecksum(read->symbology)) return true;
    Laser*& beside = instance->sweepLasers[0];
    if (!beside) beside = NewLaser(instance, -1, 0, 0, 0, 0);
    if (!beside) return false;
    const double dx = read->endX - read->startX, dy = read->endY - read->startY;
    const double length = std::hypot(dx, dy);
    if (length <= 0) return false;
    for (int side : {-1, 1}) {
        const double ox = -dy / length * kCrossingMargin * side;
        const double oy = dx / length * kCrossingMargin * side;
        SetLaserPosition(instance, beside, std::int32_t(std::lround(read->startX + ox)),
                         std::int32_t(std::lround(read->startY + oy)),
                         std::int32_t(std::lround(read->endX + ox)),
                         std::int32_t(std::lround(read->endY + oy)));
        AnalyzeSensor(instance, beside);
        if (!ReadLaserHarder(instance, beside, look) || beside->symbology != read->symbology ||
            !(beside->text == read->text))
            return false;
    }
    return true;
}
