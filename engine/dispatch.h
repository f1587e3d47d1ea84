// Decode dispatch and read confirmation: each new frame analyses the next
// laser pattern, tries the enabled decoders, confirms reads and sends the
// Scan event.
#pragma once

#include "engine/accept.h"
#include "engine/decode.h"
#include "toolbox/fourcc.h"
#include "toolbox/str255.h"

struct ScannerInstance;
struct Laser;

// With add-ons optional, an EAN/UPC read without add-on is delivered only
// when read this often without one within kConfirmWindowTicks: a laser may
// cross the main bars and miss the add-on's shorter ones.
constexpr int kAddOnWaitReads = 3;
// A still picture does not change: when its turn of the patterns and the
// whole-picture sweep found no add-on, an EAN/UPC read without one by this
// many lasers is its code.
constexpr int kStillAddOnWaitReads = 2;

void VideoScan(ScannerInstance* instance);
void AnalyzeAllSensors(ScannerInstance* instance);
void CountConsecutiveScans(ScannerInstance* instance, Laser* laser);
// After a still picture's turn of the patterns and its sweep: delivers the
// EAN/UPC read that waited for an add-on when kStillAddOnWaitReads lasers
// read it and nothing was accepted.
void DeliverAwaitedRead(ScannerInstance* instance);
