// Decode dispatch and read confirmation. One laser pattern is analysed per
// new frame; the first laser that an enabled decoder reads stops the walk.
// Reads of symbologies with a check digit are accepted at once, the others
// only when the same text comes again within kConfirmWindowTicks. An accepted
// read holds scanning for kHoldTicks, beeps and is sent as the Scan event.
//
// The road of a read through the engine, for each new frame (VideoIdle in
// video/idle_loop.cpp, or kestrix-scan's FileScanner::ShowFrame):
//  1. VideoScan ends an expired hold and calls AnalyzeAllSensors, then draws
//     the overlays through the instance's VideoHooks.
//  2. AnalyzeAllSensors turns to the next pattern; for each of its lasers
//     AnalyzeSensor (engine/sensor.cpp) samples the frame into the run table
//     and Decode1DBarcode (engine/decode.cpp) tries the enabled decoders
//     (DecodeBarsEAN13 ... DecodeBarsInt2of5, symbologies/).
//  3. Nothing read: ReadLaserHarder (engine/read_harder.cpp) reads each
//     laser again, then SweepFrameSlice (engine/frame_sweep.cpp) a slice of
//     the whole frame.
//  4. The first read (or the same symbol with its add-on on a later laser,
//     WithAddOnIfSeen) goes to CountConsecutiveScans, which accepts it at
//     once when it has a check digit (an EAN/UPC read may wait for its
//     add-on, AwaitAddOn) and otherwise on its repeat.
//  5. ScanSuccessful (engine/accept.cpp) starts the hold and the beep and
//     sends the Scan event to the instance's eventTarget (the window's
//     HandleScan in app/delivery.cpp; kestrix-scan's handler in
//     cli/file_scan.cpp).
#include "engine/dispatch.h"

#include "engine/accept.h"
#include "engine/frame_history.h"
#include "engine/frame_sweep.h"
#include "engine/laser.h"
#include "engine/read_harder.h"
#include "engine/scanner_instance.h"
#include "engine/sensor.h"
#include "engine/symbology.h"
#include "engine/video_hooks.h"
#include "toolbox/ticks.h"

void VideoScan(ScannerInstance* instance) {
    if (instance->scanEnabled) {
        if (instance->acceptedLaser && TickCount() > instance->acceptedTick + kHoldTicks) {
            instance->candidateCount = 0;
            instance->acceptedLaser = nullptr;
        }
        NewFrameArrived(instance);
        if (!instance->acceptedLaser) {
            AnalyzeAllSensors(instance);
            // Before the overlays are drawn into it.
            if (!instance->acceptedLaser) RememberFrame(instance);
        }
        if (instance->showTarget) instance->video->drawOverlays(instance);
    }
    // While scanning is off the hold does not end: its confirmation stays.
    if (instance->acceptedLaser)
        instance->video->drawConfirmation(instance, instance->acceptedLaser);
}

namespace {

bool AddOnsOptional(const ScannerInstance* instance) {
    return instance->supplementMode != kSupplementIgnore &&
           instance->supplementMode != kSupplementRequire;
}

// An EAN-13 or UPC-A read without add-on; such a text holds no space.
bool LacksAddOn(const Laser* laser) {
    if (laser->symbology != kSymbologyEAN13 && laser->symbology != kSymbologyUPCA) return false;
    return laser->text.View().find(' ') == std::string_view::npos;
}

bool ShowsAddOnOf(const Laser* laser, OSType symbology, std::string_view main) {
    const std::string_view text = laser->text.View();
    return laser->symbology == symbology && text.size() > main.size() && text.starts_with(main) &&
           text[main.size()] == ' ';
}

// With add-ons optional, the read of the lasers after `read` that shows the
// same main symbol with an add-on, or `read` itself. The lasers after it
// have not been analysed on this frame unless `harder`.
Laser* WithAddOnIfSeen(ScannerInstance* instance, Laser* read, bool harder) {
    if (!AddOnsOptional(instance) || !LacksAddOn(read)) return read;
    const std::string_view main = read->text.View();
    for (Laser* laser = read->next; laser; laser = laser->next) {
        bool decoded;
        if (harder) {
            decoded = ReadLaserHarder(instance, laser);
        } else {
            AnalyzeSensor(instance, laser);
            laser->rules = kRulesPrinted;
            decoded = Decode1DBarcode(instance, laser);
        }
        if (decoded && ShowsAddOnOf(laser, read->symbology, main)) return laser;
    }
    // The add-on's bars are short and often less sharp than the main ones:
    // look at the pattern's lasers harder.
    if (!instance->tryHarder || harder) return read;
    for (Laser* laser = instance->laserHeads[instance->patternIndex]; laser; laser = laser->next)
        if (laser != read && ReadLaserHarder(instance, laser) &&
            ShowsAddOnOf(laser, read->symbology, main))
            return laser;
    return read;
}

// True when an EAN/UPC read without add-on must wait for more reads of the
// same symbol, which may show its add-on, before it is delivered.
bool AwaitAddOn(ScannerInstance* instance, const Laser* laser, Ticks now) {
    if (!AddOnsOptional(instance)) return false;
    if (!LacksAddOn(laser)) {
        instance->addOnWaitText.SetLength(0);
        return false;
    }
    if (laser->text == instance->addOnWaitText &&
        laser->symbology == instance->addOnWaitSymbology &&
        now < instance->addOnWaitTick + kConfirmWindowTicks) {
        instance->addOnWaitLaser = laser;
        if (++instance->addOnWaitCount < kAddOnWaitReads) return true;
        instance->addOnWaitText.SetLength(0);
        return false;
    }
    instance->addOnWaitText = laser->text;
    instance->addOnWaitSymbology = laser->symbology;
    instance->addOnWaitLaser = laser;
    instance->addOnWaitCount = 1;
    instance->addOnWaitTick = now;
    return true;
}

} // namespace

void AnalyzeAllSensors(ScannerInstance* instance) {
    instance->patternIndex = (instance->patternIndex + 1) % kPatternCount;
    if (instance->patternIndex == 0) ++instance->patternTurn;
    Laser* head = instance->laserHeads[instance->patternIndex];
    for (Laser* laser = head; laser; laser = laser->next) {
        AnalyzeSensor(instance, laser);
        laser->rules = kRulesPrinted;
        if (Decode1DBarcode(instance, laser)) {
            CountConsecutiveScans(instance, WithAddOnIfSeen(instance, laser, false));
            return;
        }
    }
    // Nothing read as printed: read each laser's table harder.
    if (!instance->tryHarder) return;
    std::uint32_t alternate = instance->patternTurn + std::uint32_t(instance->patternIndex);
    for (Laser* laser = head; laser; laser = laser->next, ++alternate) {
        const SecondLook look = alternate % 2 ? SecondLook::kEdges : SecondLook::kMean;
        if (ReadLaserHarder(instance, laser, look) && ReachesAcross(instance, laser, look)) {
            CountConsecutiveScans(instance, WithAddOnIfSeen(instance, laser, true));
            return;
        }
    }
    // Nothing where the user aims: search a slice of the whole picture.
    SweepFrameSlice(instance);
}

void CountConsecutiveScans(ScannerInstance* instance, Laser* laser) {
    // Reads of the added reading are confirmed like those without check digit.
    Ticks now = TickCount();
    if (SymbologyHasChecksum(laser->symbology) && laser->rules == kRulesPrinted) {
        if (!AwaitAddOn(instance, laser, now)) ScanSuccessful(instance, laser);
        return;
    }
    if (!(laser->text == instance->candidateText)) {
        instance->candidateText = laser->text;
        instance->candidateCount = 1;
        instance->candidateTick = now;
        instance->candidateLaser = laser;
        return;
    }
    // A read of the added reading is confirmed only by another line: on a
    // still scene the same laser comes round again and reads the same
    // chance fit every turn.
    if (laser->rules != kRulesPrinted && laser == instance->candidateLaser) return;
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

void DeliverAwaitedRead(ScannerInstance* instance) {
    if (instance->acceptedLaser || instance->addOnWaitText.Length() == 0 ||
        instance->addOnWaitCount < kStillAddOnWaitReads)
        return;
    Laser* read = instance->sweepLasers[2];
    if (!read) read = instance->sweepLasers[2] = NewLaser(instance, -1, 0, 0, 0, 0);
    if (!read) return;
    const Laser* from = instance->addOnWaitLaser;
    SetLaserPosition(instance, read, std::int32_t(from->startX), std::int32_t(from->startY),
                     std::int32_t(from->endX), std::int32_t(from->endY));
    read->text = instance->addOnWaitText;
    read->symbology = instance->addOnWaitSymbology;
    instance->addOnWaitText.SetLength(0);
    ScanSuccessful(instance, read);
}
