#include "engine/read_harder.h"

#include "engine/dispatch.h"
#include "engine/laser.h"
#include "engine/sensor.h"
#include "engine/sensor_edges.h"
#include "engine/sensor_mean.h"

bool ReadLaserHarder(ScannerInstance* instance, Laser* laser) {
    laser->rules = kRulesHard;
    if (Decode1DBarcode(instance, laser)) return true;
    if (laser->elementCount >= kMinRunsForSecondLook) {
        laser->rules = kRulesSecondLook;
        int samples[kMaxElements];
        const int n = SampleLaser(instance, laser, samples);
        AnalyzeSamplesMean(laser, samples, n);
        if (Decode1DBarcode(instance, laser)) return true;
        AnalyzeSamplesEdges(laser, samples, n);
        if (Decode1DBarcode(instance, laser)) return true;
    }
    laser->rules = kRulesPrinted;
    return false;
}
