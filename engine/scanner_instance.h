// The scanner instance: the camera connection, the frame buffer, the ten
// laser patterns, read confirmation and the user's scanner settings, with
// the accessors that read and write settings by four-character key.
#pragma once

#include "engine/laser.h"
#include "symbologies/decode_options.h"
#include "toolbox/fourcc.h"
#include "toolbox/rect.h"
#include "toolbox/str255.h"
#include "toolbox/ticks.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct EventTarget;
struct FrameWorld; // the frame buffer's owner, provided by the video layer
struct CaptureGrabber;
struct CaptureChannel;
struct EventLoopTimer;
struct FrameExporter;
struct Movie;
struct ScannerView;
struct Sightings;    // what the live frames' sweep slices have read
struct FrameHistory; // the frames before the current one
struct VideoHooks;

// Settings keys.
constexpr OSType kKeyPreview = "prev"_4cc;
constexpr OSType kKeyScan = "scan"_4cc;
constexpr OSType kKeyManualFocus = "focm"_4cc;
constexpr OSType kKeyFocusDistance = "focd"_4cc;
constexpr OSType kKeyFocusAdjust = "foca"_4cc;
constexpr OSType kKeyShowTarget = "targ"_4cc;
constexpr OSType kKeyEAN8 = "ean8"_4cc;
constexpr OSType kKeyEAN13 = "ean1"_4cc;
constexpr OSType kKeyUPCA = "upca"_4cc;
constexpr OSType kKeyUPCE = "upce"_4cc;
constexpr OSType kKeyCodabar = "coda"_4cc;
constexpr OSType kKeyCode39 = "cd39"_4cc;
constexpr OSType kKeyCode128 = "c128"_4cc;
constexpr OSType kKeyInt2of5 = "i2o5"_4cc;
constexpr OSType kKeySupplement = "supp"_4cc;
constexpr OSType kKeyAppendKey = "appe"_4cc;
constexpr OSType kKeyAppendKeyCode = "appc"_4cc;
constexpr OSType kKeyBeep = "beep"_4cc;
constexpr OSType kKeyTryHarder = "hard"_4cc; // the added reading for real photographs
constexpr OSType kKeyCode32 = "cd32"_4cc;    // Code 39 symbols read as Code 32 numbers

// Values of 'appc' ('supp' has its values beside the decoders that read it).
constexpr OSType kAppendReturn = "cret"_4cc;
constexpr OSType kAppendEnter = "cent"_4cc;
constexpr OSType kAppendTab = "ctab"_4cc;

using FrameRect = Rect;

struct ScannerInstance {
    // Run-time state.
    ScannerView* view = nullptr;         // the view that shows the frame; may be null
    EventTarget* eventTarget = nullptr;  // receives the Scan event; may be null
    EventLoopTimer* idleTimer = nullptr; // repeating capture timer; null while preview is off
    FrameRect bounds;                    // 0, 0, 480, 640 (kept by the record layout; unread)
    CaptureGrabber* grabber = nullptr;   // open capture pipeline; null while closed
    CaptureChannel* channel = nullptr;   // the camera; null while none is open
    FrameWorld* frameWorld = nullptr;    // owner of the 640x480 frame buffer
    std::uint8_t* frameBase = nullptr;   // top-left pixel: 0xAARRGGBB words
    std::int32_t frameRowBytes = 0;      // bytes from one row to the next
    std::vector<std::uint8_t>
        channelSettings;                   // the camera's own settings, flattened; empty if none
    Ticks lastOpenAttemptTick = 0;         // last attempt to open the camera
    FrameExporter* exporter = nullptr;     // kept by the record layout; snapshots need none
    Str255 candidateText;                  // read without check digit awaiting its repeat
    std::int32_t candidateCount = 0;       // equal reads of candidateText so far
    Ticks candidateTick = 0;               // when candidateText was first read
    const Laser* candidateLaser = nullptr; // the laser that read it
    Laser* laserHeads[kPatternCount] = {}; // first laser of each pattern
    Laser* laserTails[kPatternCount] = {}; // last laser of each pattern
    std::int32_t patternIndex = 0;         // pattern analysed on the last frame, 0..9
    std::uint32_t patternTurn = 0;         // turns of the ten patterns so far
    Laser* acceptedLaser = nullptr;        // laser of the last accepted read, during the hold
    Ticks acceptedTick = 0;                // when that read was accepted
    Movie* beepMovie = nullptr;            // the confirmation sound; null plays nothing
    bool inSettingsDialog = false;         // the camera settings dialog is open
    Str255 addOnWaitText;                  // EAN/UPC read without add-on, awaiting one
    std::int32_t addOnWaitCount = 0;       // reads of addOnWaitText so far
    Ticks addOnWaitTick = 0;               // when addOnWaitText was first read
    OSType addOnWaitSymbology = 0;         // its symbology
    const Laser* addOnWaitLaser = nullptr; // the laser that read it last
    std::array<Laser*, 3> sweepLasers{};   // whole-frame sweep: a line both ways and its
                                           //   accepted read; made on first use
    Sightings* liveSightings = nullptr;    // the sweep's reads across live frames
    FrameHistory* frameHistory =
        nullptr;                       // the last frames, for averaged samples; made on first use
    const VideoHooks* video = nullptr; // the video layer's operations, given to NewInstance

    // Settings.
    std::uint8_t previewEnabled = 0; // 'prev'
    std::uint8_t scanEnabled = 0;    // 'scan'
    std::uint8_t manualFocus = 0;    // 'focm'
    double focusDistance = 0;        // 'focd', 0.0 (near) .. 1.0 (far)
    std::uint8_t showTarget = 0;     // 'targ'
    std::uint8_t enableEAN8 = 0;     // 'ean8'
    std::uint8_t enableEAN13 = 0;    // 'ean1'
    std::uint8_t enableUPCA = 0;     // 'upca'
    std::uint8_t enableUPCE = 0;     // 'upce'
    std::uint8_t enableCodabar = 0;  // 'coda'
    std::uint8_t enableCode39 = 0;   // 'cd39'
    std::uint8_t enableCode128 = 0;  // 'c128'
    std::uint8_t enableInt2of5 = 0;  // 'i2o5'
    OSType supplementMode = 0;       // 'supp': 'igno', 'requ' or optional
    std::uint8_t appendKey = 0;      // 'appe'
    OSType appendKeyCode = 0;        // 'appc': 'cret', 'cent' or 'ctab'
    std::uint8_t beepEnabled = 0;    // 'beep'
    std::uint8_t tryHarder = 0;      // 'hard': read again what the first reading misses
    std::uint8_t enableCode32 = 0;   // 'cd32'
};

// Creates the instance with its defaults, frame buffer and laser patterns;
// null when memory is short. The camera is not opened here. video is the
// video layer the instance works through for its whole life
// (LiveVideoHooks or NullVideoHooks).
ScannerInstance* NewInstance(ScannerView* view, EventTarget* eventTarget, const VideoHooks& video);

// Stops the preview and releases everything the instance owns, the record
// itself included. A null instance is ignored.
void DisposeInstance(ScannerInstance* instance);

struct InstanceDeleter {
    void operator()(ScannerInstance* instance) const { DisposeInstance(instance); }
};
using InstancePtr = std::unique_ptr<ScannerInstance, InstanceDeleter>;

std::uint8_t GetBooleanInfo(const ScannerInstance* instance, OSType key);
void SetBooleanInfo(ScannerInstance* instance, OSType key, std::int32_t value);
double GetDoubleInfo(const ScannerInstance* instance, OSType key);
void SetDoubleInfo(ScannerInstance* instance, OSType key, double value);
OSType GetOSTypeInfo(const ScannerInstance* instance, OSType key);
void SetOSTypeInfo(ScannerInstance* instance, OSType key, OSType value);

void SetInstanceFocusDistance(ScannerInstance* instance, double distance);
void SetInstanceManualFocus(ScannerInstance* instance, bool manual);
