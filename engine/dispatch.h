// Decode dispatch and read confirmation: each new frame analyses the next
// laser pattern, tries the enabled decoders, confirms reads and sends the
// Scan event.
#pragma once

#include "toolbox/fourcc.h"
#include "toolbox/str255.h"

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
// With add-ons optional, an EAN/UPC read without add-on is delivered only
// when read this often without one within kConfirmWindowTicks: a laser may
// cross the main bars and miss the add-on's shorter ones.
constexpr int kAddOnWaitReads = 3;

void VideoScan(ScannerInstance* instance);
void AnalyzeAllSensors(ScannerInstance* instance);
bool Decode1DBarcode(ScannerInstance* instance, Laser* laser);
void CountConsecutiveScans(ScannerInstance* instance, Laser* laser);
void ScanSuccessful(ScannerInstance* instance, Laser* laser);
