// The decode step: one laser's run table through the enabled decoders in
// their fixed order. The first reading, the harder reading and the sweep all
// decode through it.
#include "engine/decode.h"

#include "engine/scanner_instance.h"
#include "engine/symbology.h"
#include "symbologies/decoders.h"
#include "symbologies/laser_record.h"

DecodeOptions DecodeOptionsOf(const ScannerInstance* instance) {
    return {.enableEAN13 = instance->enableEAN13 != 0, .supplementMode = instance->supplementMode};
}

namespace {

// A Code 39 symbol, delivered as Code 32 when that is on and the symbol is
// one, else as Code 39 when that is on.
bool DecodeCode39Family(const ScannerInstance* instance, Laser* laser) {
    if (!DecodeBarsCode39(laser)) return false;
    if (instance->enableCode32 && ReadCode39AsCode32(laser->text)) {
        laser->symbology = kSymbologyCode32;
        return true;
    }
    if (instance->enableCode39) return true;
    laser->symbology = 0;
    return false;
}

bool DecodeEnabled(const ScannerInstance* instance, Laser* laser) {
    laser->symbology = 0;
    if ((instance->enableEAN13 || instance->enableUPCA) &&
        DecodeBarsEAN13(DecodeOptionsOf(instance), laser))
        return true;
    if (instance->enableEAN8 && DecodeBarsEAN8(laser)) return true;
    if (instance->enableUPCE && DecodeBarsUPCE(DecodeOptionsOf(instance), laser)) return true;
    // Without a check digit a damaged symbol reads as another too easily
    // from a table of the noisy look, whose raised floor drops weak edges.
    if (laser->rules == kRulesNoisyLook) {
        return instance->enableCode128 && DecodeBarsCode128(laser);
    }
    if (instance->enableCodabar && DecodeBarsCodabar(laser)) return true;
    if ((instance->enableCode39 || instance->enableCode32) && DecodeCode39Family(instance, laser))
        return true;
    if (instance->enableCode128 && DecodeBarsCode128(laser)) return true;
    if (instance->enableInt2of5 && DecodeBarsInt2of5(laser)) return true;
    return false;
}

} // namespace

bool Decode1DBarcode(const ScannerInstance* instance, Laser* laser) {
    // An empty text is no read: typing nothing and a Return helps no one.
    if (DecodeEnabled(instance, laser) && laser->text.Length() > 0) return true;
    laser->symbology = 0;
    return false;
}
