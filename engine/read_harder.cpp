#include "engine/read_harder.h"

#include "engine/decode.h"
#include "engine/laser.h"
#include "engine/sensor_edges.h"
#include "engine/sensor_mean.h"
#include "engine/sensor_noise.h"

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
