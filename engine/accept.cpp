// An accepted read: the hold, the beep and the Scan event.
#include "engine/accept.h"

#include "engine/frame_history.h"
#include "engine/scanner_instance.h"
#include "engine/sweep_sightings.h"
#include "engine/video_hooks.h"
#include "symbologies/laser_record.h"
#include "toolbox/events.h"
#include "toolbox/ticks.h"

#include <span>

void ScanSuccessful(ScannerInstance* instance, Laser* laser) {
    ClearSweepSightings(instance->liveSightings);
    ForgetFrames(instance);
    instance->acceptedLaser = laser;
    instance->acceptedTick = TickCount();
    if (instance->beepEnabled && instance->beepMovie)
        instance->video->playMovieAsync(instance->beepMovie);
    if (!instance->eventTarget) return;

    Event event = CreateEvent(kEventClassKestrix, kEventKindScan);
    OSStatus status = SetEventParameter(event, kParamText, typePascalString,
                                        std::as_bytes(std::span(laser->text.bytes)));
    if (status == noErr)
        status = SetEventParameterValue(event, kParamSymbology, typeType, laser->symbology);
    if (status == noErr) SendEventToEventTarget(event, instance->eventTarget);
}
