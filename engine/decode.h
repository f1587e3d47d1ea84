// The decode step that the first reading, the harder reading and the sweep
// share: the enabled decoders over one laser's run table.
#pragma once

#include "symbologies/decode_options.h"

struct ScannerInstance;
struct Laser;

// Tries the enabled decoders in order (EAN-13/UPC-A, EAN-8, UPC-E, Codabar,
// Code 39/32, Code 128, 2 of 5); true when one read a non-empty text, whose
// symbology and text are then the laser's. On a table of the noisy look only
// Code 128 follows the EAN/UPC family.
bool Decode1DBarcode(const ScannerInstance* instance, Laser* laser);

// The settings of the instance that the EAN/UPC decoders read.
DecodeOptions DecodeOptionsOf(const ScannerInstance* instance);
