#include "engine/read_harder.h"

#include "engine/dispatch.h"
#include "engine/laser.h"
#include "engine/sensor_edges.h"
#include "engine/sensor_mean.h"

bool ReadLaserHarder(ScannerInstance* instance, Laser* laser, SecondLook look) {
    laser->rules = kRulesHard;
    if (Decode1DBarcode(instance, laser)) return true;
    if (laser->elementCount >= kMinRunsForSecondLook) {
        laser->rules = kRulesSecondLook;
        const int* samples = laser->samples;
        const int n = laser->samplesTaken;
        if (look != SecondLook::kEdges) {
            AnalyzeSamplesMean(laser, samples, n);
            if (Decode1DBarcode(instance, laser)) return true;
        }
        if (look != SecondLook::kMean) {
            AnalyzeSamplesEdges(laser, samples, n);
            if (Decode1DBarcode(instance, laser)) return true;
        }
    }
    laser->rules = kRulesPrinted;
    return false;
}
