// The Scan event as its handlers take it: the event type to install for,
// and its two parameters read back in one place (the window, kestrix-scan
// and the test harnesses all handle it).
#pragma once

#include "engine/dispatch.h"
#include "toolbox/events.h"
#include "toolbox/fourcc.h"
#include "toolbox/str255.h"

#include <array>
#include <span>

inline constexpr std::array kScanEventTypes = {EventTypeSpec{kEventClassKestrix, kEventKindScan}};

struct ScanEventParameters {
    Str255 text;          // the read's text, UTF-8
    OSType symbology = 0; // its symbology's settings key
};

inline ScanEventParameters GetScanEventParameters(const Event& event) {
    ScanEventParameters read;
    GetEventParameter(event, kParamText, typePascalString,
                      std::as_writable_bytes(std::span(read.text.bytes)));
    GetEventParameterValue(event, kParamSymbology, typeType, read.symbology);
    return read;
}
