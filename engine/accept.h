// Accepting a read: the hold that pauses scanning, the beep and the Scan
// event to the instance's event target. The dispatch's confirmation and the
// whole-frame sweep accept their reads through ScanSuccessful.
#pragma once

#include "toolbox/fourcc.h"

struct ScannerInstance;
struct Laser;

// The Scan event and its parameters.
constexpr OSType kEventClassKestrix = "Kstx"_4cc;
constexpr OSType kEventKindScan = "scan"_4cc;
constexpr OSType kParamText = "text"_4cc;      // typePascalString, 256 bytes
constexpr OSType kParamSymbology = "symb"_4cc; // typeType

// Ticks a read without check digit waits for its repeat, and ticks scanning
// pauses after an accepted read.
constexpr unsigned kConfirmWindowTicks = 180;
constexpr unsigned kHoldTicks = 120;

// Starts the hold (acceptedLaser, acceptedTick), forgets the sweep's
// sightings, plays the beep when it is on and sends the laser's text and
// symbology as the Scan event.
void ScanSuccessful(ScannerInstance* instance, Laser* laser);
