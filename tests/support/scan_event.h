// A Scan event as the test harnesses record it: its text and symbology, and
// the frame that produced it.
#pragma once

#include "engine/dispatch.h"
#include "toolbox/events.h"
#include "toolbox/fourcc.h"
#include "toolbox/str255.h"

#include <span>
#include <string>

struct ScanRead {
    std::string text;     // the Scan event's text
    OSType symbology = 0; // the Scan event's symbology code
    int frame = 0;        // 1-based index of the frame that produced it, where counted
};

inline ScanRead ReadScanEvent(Event& event, int frame = 0) {
    Str255 text;
    OSType symbology = 0;
    GetEventParameter(event, kParamText, typePascalString,
                      std::as_writable_bytes(std::span(text.bytes)));
    GetEventParameterValue(event, kParamSymbology, typeType, symbology);
    return {text.ToString(), symbology, frame};
}
