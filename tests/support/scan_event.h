// The text and symbology of a Scan event, as the test harnesses record them.
#pragma once

#include "engine/dispatch.h"
#include "toolbox/events.h"
#include "toolbox/fourcc.h"
#include "toolbox/str255.h"

#include <span>
#include <string>

struct ScanEventRead {
    std::string text;
    OSType symbology = 0;
};

inline ScanEventRead ReadScanEvent(Event& event) {
    Str255 text;
    OSType symbology = 0;
    GetEventParameter(event, kParamText, typePascalString,
                      std::as_writable_bytes(std::span(text.bytes)));
    GetEventParameterValue(event, kParamSymbology, typeType, symbology);
    return {text.ToString(), symbology};
}
