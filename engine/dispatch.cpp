// Decode dispatch and read confirmation. One laser pattern is analysed per
// new frame; the first laser that an enabled decoder reads stops the walk.
// Reads of symbologies with a check digit are accepted at once, the others
// only when the same text comes again within kConfirmWindowTicks. An accepted
// read holds scanning for kHoldTicks, beeps and is sent as the Scan event.
#include "engine/dispatch.h"

#include "engine/laser.h"
#include "engine/read_harder.h"
#include "engine/scanner_instance.h"
#include "engine/sensor.h"
#include "engine/symbology.h"
#include "engine/video_hooks.h"
#include "symbologies/decoders.h"
#include "toolbox/events.h"
#include "toolbox/ticks.h"

void VideoScan(ScannerInstance* instance) {
    if (instance->scanEnabled) {
        if (instance->acceptedLaser && TickCount() > instance->acceptedTick + kHoldTicks) {
            instance->candidateCount = 0;
            instance->acceptedLaser = nullptr;
        }
        if (!instance->acceptedLaser) AnalyzeAllSensors(instance);
        if (instance->showTarget) VideoDrawOverlays(instance);
    }
    // While scanning is off the hold does not end: its confirmation stays.
    if (instance->acceptedLaser) VideoDrawConfirmation(instance, instance->acceptedLaser);
}

void AnalyzeAllSensors(ScannerInstance* instance) {
    instance->patternIndex = (instance->patternIndex + 1) % kPatternCount;
    Laser* head = instance->laserHeads[instance->patternIndex];
    for (Laser* laser = head; laser; laser = laser->next) {
        AnalyzeSensor(instance, laser);
        laser->rules = kRulesPrinted;
        if (Decode1DBarcode(instance, laser)) {
            CountConsecutiveScans(instance, laser);
            return;
        }
    }
    // Nothing read as printed: read each laser's table harder.
    if (!instance->tryHarder) return;
    for (Laser* laser = head; laser; laser = laser->next) {
        if (ReadLaserHarder(instance, laser)) {
            CountConsecutiveScans(instance, laser);
            return;
        }
    }
}

namespace {

bool DecodeEnabled(ScannerInstance* instance, Laser* laser) {
    laser->symbology = 0;
    if ((instance->enableEAN13 || instance->enableUPCA) && DecodeBarsEAN13(instance, laser))
        return true;
    if (instance->enableEAN8 && DecodeBarsEAN8(laser)) return true;
    if (instance->enableUPCE && DecodeBarsUPCE(instance, laser)) return true;
    if (instance->enableCodabar && DecodeBarsCodabar(laser)) return true;
    if (instance->enableCode39 && DecodeBarsCode39(laser)) return true;
    if (instance->enableCode128 && DecodeBarsCode128(laser)) return true;
    if (instance->enableInt2of5 && DecodeBarsInt2of5(laser)) return true;
    return false;
}

} // namespace

bool Decode1DBarcode(ScannerInstance* instance, Laser* laser) {
    // An empty text is no read: typing nothing and a Return helps no one.
    if (DecodeEnabled(instance, laser) && laser->text.Length() > 0) return true;
    laser->symbology = 0;
    return false;
}

void CountConsecutiveScans(ScannerInstance* instance, Laser* laser) {
    // Reads of the added reading are confirmed like those without check digit.
    if (SymbologyHasChecksum(laser->symbology) && laser->rules == kRulesPrinted) {
        ScanSuccessful(instance, laser);
        return;
    }
    Ticks now = TickCount();
    if (!(laser->text == instance->candidateText)) {
        instance->candidateText = laser->text;
        instance->candidateCount = 1;
        instance->candidateTick = now;
        return;
    }
    if (now < instance->candidateTick + kConfirmWindowTicks) {
        if (++instance->candidateCount > 1) {
            ScanSuccessful(instance, laser);
            instance->candidateText.SetLength(0);
        }
    } else {
        // Too late: drop this read; the next equal read starts a candidate.
        instance->candidateText.SetLength(0);
    }
}

void ScanSuccessful(ScannerInstance* instance, Laser* laser) {
    instance->acceptedLaser = laser;
    instance->acceptedTick = TickCount();
    if (instance->beepEnabled && instance->beepMovie) AppPlayMovieAsync(instance->beepMovie);
    if (!instance->eventTarget) return;

    Event event = CreateEvent(kEventClassKestrix, kEventKindScan);
    OSStatus status = SetEventParameter(event, kParamText, typePascalString,
                                        std::as_bytes(std::span(laser->text.bytes)));
    if (status == noErr)
        status = SetEventParameterValue(event, kParamSymbology, typeType, laser->symbology);
    if (status == noErr) SendEventToEventTarget(event, instance->eventTarget);
}
