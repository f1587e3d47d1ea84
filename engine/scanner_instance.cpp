// The scanner instance: creation with defaults, disposal and the settings
// accessors by key.
#include "engine/scanner_instance.h"

#include "engine/frame_history.h"
#include "engine/sweep_sightings.h"
#include "engine/video_hooks.h"
#include "symbologies/decoders.h"

#include <new>

ScannerInstance* NewInstance(ScannerView* view, EventTarget* eventTarget, const VideoHooks& video) {
    InitializeCode128();
    auto* instance = new (std::nothrow) ScannerInstance{};
    if (!instance) return nullptr;

    instance->video = &video;
    instance->view = view;
    instance->eventTarget = eventTarget;
    instance->previewEnabled = true;
    instance->scanEnabled = true;
    instance->beepMovie = video.getMovieFromBundle("Beep");
    instance->bounds = {0, 0, kFrameHeight, kFrameWidth};

    instance->manualFocus = true;
    instance->focusDistance = 0.2;
    instance->enableEAN8 = true;
    instance->enableEAN13 = true;
    instance->enableUPCA = true;
    instance->enableUPCE = true;
    instance->supplementMode = kSupplementIgnore;
    instance->appendKey = true;
    instance->appendKeyCode = kAppendReturn;
    instance->beepEnabled = true;
    instance->tryHarder = true;

    video.initialize(instance);
    instance->frameBase = video.frameBase(instance->frameWorld);
    instance->frameRowBytes = video.frameRowBytes(instance->frameWorld) & 0x3FFF;

    for (int index = 0; index < kPatternCount; ++index)
        NewStarburstLaserPattern(instance, 0.0, 0.0, 36, index);
    return instance;
}

void DisposeInstance(ScannerInstance* instance) {
    if (!instance) return;
    instance->video->setPreviewEnabled(instance, false);
    if (instance->frameWorld) instance->video->disposeFrameWorld(instance);
    instance->frameBase = nullptr;
    for (Laser* head : instance->laserHeads) {
        while (head) {
            Laser* next = head->next;
            delete head;
            head = next;
        }
    }
    for (Laser* laser : instance->sweepLasers) delete laser;
    delete instance->liveSightings;
    delete instance->frameHistory;
    instance->video->disposeMovie(instance->beepMovie);
    delete instance;
}

namespace {

// The Boolean settings and where they live.
std::uint8_t* BooleanField(ScannerInstance* s, OSType key) {
    switch (key) {
    case kKeyPreview:
        return &s->previewEnabled;
    case kKeyScan:
        return &s->scanEnabled;
    case kKeyManualFocus:
        return &s->manualFocus;
    case kKeyShowTarget:
        return &s->showTarget;
    case kKeyEAN8:
        return &s->enableEAN8;
    case kKeyEAN13:
        return &s->enableEAN13;
    case kKeyUPCA:
        return &s->enableUPCA;
    case kKeyUPCE:
        return &s->enableUPCE;
    case kKeyCodabar:
        return &s->enableCodabar;
    case kKeyCode39:
        return &s->enableCode39;
    case kKeyCode128:
        return &s->enableCode128;
    case kKeyInt2of5:
        return &s->enableInt2of5;
    case kKeyAppendKey:
        return &s->appendKey;
    case kKeyBeep:
        return &s->beepEnabled;
    case kKeyTryHarder:
        return &s->tryHarder;
    case kKeyCode32:
        return &s->enableCode32;
    default:
        return nullptr;
    }
}

} // namespace

std::uint8_t GetBooleanInfo(const ScannerInstance* instance, OSType key) {
    const std::uint8_t* field = BooleanField(const_cast<ScannerInstance*>(instance), key);
    return field ? *field : 0;
}

void SetBooleanInfo(ScannerInstance* instance, OSType key, std::int32_t value) {
    auto byte = static_cast<std::uint8_t>(value & 0xFF);
    switch (key) {
    case kKeyPreview:
        instance->video->setPreviewEnabled(instance, byte != 0);
        return;
    case kKeyManualFocus:
        SetInstanceManualFocus(instance, byte != 0);
        return;
    default:
        if (std::uint8_t* field = BooleanField(instance, key)) *field = byte;
    }
}

double GetDoubleInfo(const ScannerInstance* instance, OSType key) {
    return key == kKeyFocusDistance ? instance->focusDistance : 0.0;
}

void SetDoubleInfo(ScannerInstance* instance, OSType key, double value) {
    if (key == kKeyFocusDistance)
        SetInstanceFocusDistance(instance, value);
    else if (key == kKeyFocusAdjust)
        SetInstanceFocusDistance(instance, instance->focusDistance + value);
}

OSType GetOSTypeInfo(const ScannerInstance* instance, OSType key) {
    if (key == kKeySupplement) return instance->supplementMode;
    if (key == kKeyAppendKeyCode) return instance->appendKeyCode;
    return 0;
}

void SetOSTypeInfo(ScannerInstance* instance, OSType key, OSType value) {
    if (key == kKeySupplement)
        instance->supplementMode = value;
    else if (key == kKeyAppendKeyCode)
        instance->appendKeyCode = value;
}

void SetInstanceFocusDistance(ScannerInstance* instance, double distance) {
    if (!(distance >= 0.0))
        distance = 0.0; // NaN from a damaged value reads as near
    else if (distance > 1.0)
        distance = 1.0;
    instance->focusDistance = distance;
    instance->video->syncFocusSettings(instance);
}

void SetInstanceManualFocus(ScannerInstance* instance, bool manual) {
    instance->manualFocus = manual;
    instance->video->syncFocusSettings(instance);
}
