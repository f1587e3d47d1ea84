#include "engine/read_harder.h"

#include "engine/dispatch.h"
#include "engine/laser.h"
#include "engine/sensor_edges.h"
#include "engine/sensor_mean.h"

namespace {

// A first run table with fewer runs than the shortest symbol's crosses no
// symbol worth a second look (blur merges runs, but not that many).
constexpr int kMinRunsForSecondLook = 20;

} // namespace

bool ReadLaserHarder(ScannerInstance* instance, Laser* laser) {
    laser->rules = kRulesHard;
    if (Decode1DBarcode(instance, laser)) return true;
    if (laser->elementCount >= kMinRunsForSecondLook) {
        laser->rules = kRulesSecondLook;
        AnalyzeSensorMean(instance, laser);
        if (Decode1DBarcode(instance, laser)) return true;
        AnalyzeSensorEdges(instance, laser);
        if (Decode1DBarcode(instance, laser)) return true;
    }
    laser->rules = kRulesPrinted;
    return false;
}
