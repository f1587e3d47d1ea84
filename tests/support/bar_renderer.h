// Draws rectangles given in symbol coordinates into a coverage image with
// exact area anti-aliasing across the bars, so that a non-integer number of
// pixels per module looks as a camera would see it.
#pragma once

#include "tests/support/frame.h"
#include "tests/support/placement.h"
#include "tests/support/zint_bars.h"

#include <span>

// Adds to each pixel of coverage (0 = none, 1 = fully covered) the share
// of its area that the bars cover, clamped to 1.
void DrawBars(GrayImage& coverage, std::span<const Bar> bars, const Placement& placement);
