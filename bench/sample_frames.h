// Two fixed frames for benchmarks: one with an EAN-13 in view, one of a
// typical scene without a barcode.
#pragma once

#include "tests/support/frame.h"

// An EAN-13 (5901234123457) at 3 pixels per module, turned by 8 degrees,
// slightly blurred and noisy.
Frame FrameWithEAN13();

// A printed page of text under uneven light: what the camera mostly sees.
Frame FrameWithoutBarcode();
