// The few settings that the EAN/UPC decoders read, handed to them instead of
// the whole scanner instance.
#pragma once

#include "toolbox/fourcc.h"

// Values of the add-on setting 'supp'.
constexpr OSType kSupplementIgnore = "igno"_4cc;
constexpr OSType kSupplementRequire = "requ"_4cc;
constexpr OSType kSupplementOptional = "opti"_4cc; // any value but 'igno' and 'requ' is optional

struct DecodeOptions {
    bool enableEAN13 = false;  // 'ean1': EAN-13 reads; off, only UPC-A (first digit 0) is read
    OSType supplementMode = 0; // 'supp': 'igno', 'requ' or optional
};
