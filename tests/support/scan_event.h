// A Scan event as the test harnesses record it: its text and symbology, and
// the frame that produced it.
#pragma once

#include "engine/scan_event.h"

#include <string>

struct ScanRead {
    std::string text;     // the Scan event's text
    OSType symbology = 0; // the Scan event's symbology code
    int frame = 0;        // 1-based index of the frame that produced it, where counted
};

inline ScanRead ReadScanEvent(Event& event, int frame = 0) {
    const ScanEventParameters read = GetScanEventParameters(event);
    return {read.text.ToString(), read.symbology, frame};
}
