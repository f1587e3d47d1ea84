// The text and symbology of a Scan event, as the test harnesses record them.
#pragma once

#include "engine/scan_event.h"

#include <string>

struct ScanEventRead {
    std::string text;
    OSType symbology = 0;
};

inline ScanEventRead ReadScanEvent(Event& event) {
    const ScanEventParameters read = GetScanEventParameters(event);
    return {read.text.ToString(), read.symbology};
}
