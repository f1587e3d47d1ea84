// Drives a real scanner instance with test frames, as the capture loop
// would: each frame is copied into the frame buffer, the clock advances by
// two ticks (30 frames a second) and VideoScan runs. Collects the Scan
// events that the instance sends, and also the raw decode of each frame
// (its read before the confirmation rule).
#pragma once

#include "engine/scanner_instance.h"
#include "tests/support/frame.h"
#include "toolbox/events.h"

#include <string>
#include <vector>

// A Scan event as the harness records it.
struct ScanRead {
    std::string text;     // the Scan event's text
    OSType symbology = 0; // the Scan event's symbology code
    int frame = 0;        // 1-based index of the frame that produced it
};

class ScanHarness {
  public:
    static constexpr Ticks kTicksPerFrame = 2;

    // A fresh instance with its default settings and the manual tick clock.
    ScanHarness();
    ScanHarness(const ScanHarness&) = delete;
    ScanHarness& operator=(const ScanHarness&) = delete;

    ScannerInstance* Instance() { return instance_.get(); }

    void SetBoolean(OSType key, bool on);
    void SetSupplementMode(OSType mode);
    // Turns all eight symbology switches on or off.
    void SetAllSymbologies(bool on);

    // One frame; returns the Scan events it caused.
    std::vector<ScanRead> Feed(const Frame& frame);
    // The same frame `frames` times; returns the Scan events of this run.
    std::vector<ScanRead> Run(const Frame& frame, int frames);
    // As Run, but stops after the first Scan event.
    std::vector<ScanRead> RunUntilRead(const Frame& frame, int frames);

    const std::vector<ScanRead>& Reads() const { return reads_; }
    // Decodes of any laser, accepted or not, one per analysed frame at most.
    const std::vector<ScanRead>& RawDecodes() const { return rawDecodes_; }

  private:
    EventTarget target_; // outlives the instance, which refers to it
    InstancePtr instance_;
    std::vector<ScanRead> reads_;
    std::vector<ScanRead> rawDecodes_;
    int framesFed_ = 0;
};
