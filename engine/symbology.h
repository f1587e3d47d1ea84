// Symbology codes, their display names and whether they carry a check digit.
#pragma once

#include "symbologies/symbology_codes.h"
#include "toolbox/fourcc.h"
#include "toolbox/str255.h"

// False for Codabar, Code 39, Code 32 and Interleaved 2 of 5; true for anything else.
bool SymbologyHasChecksum(OSType code);
// "EAN-13", "2 of 5", ...; "Unknown" for a code not in the table.
Str255 GetSymbologyName(OSType code);
