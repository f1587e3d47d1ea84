// Drives a real scanner instance with test frames, as the capture loop
// would: each frame is copied into the frame buffer, the clock advances by
// two ticks (30 frames a second) and VideoScan runs. Collects the Scan
// events that the instance sends, and also the raw decode of each frame
// (its read before the confirmation rule), each as kestrix-scan's read
// record with the index of the frame fed, from 0.
#pragma once

#include "cli/read_output.h"
#include "engine/scanner_instance.h"
#include "tests/support/frame.h"
#include "toolbox/events.h"

#include <string>
#include <vector>

class ScanHarness {
  public:
    static constexpr Ticks kTicksPerFrame = 2;

    // A fresh instance with its default settings and the manual tick clock.
    ScanHarness();
    ScanHarness(const ScanHarness&) = delete;
    ScanHarness& operator=(const ScanHarness&) = delete;

    ScannerInstance* Instance() { return instance_.get(); }

    void SetBoolean(OSType key, bool on) { SetBooleanInfo(instance_.get(), key, on); }
    void SetSupplementMode(OSType mode) { SetOSTypeInfo(instance_.get(), kKeySupplement, mode); }
    // All eight symbology switches.
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
    std::size_t framesFed_ = 0; // the index of the frame being fed
};
