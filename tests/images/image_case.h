// Shared pieces of the image tests: drawing the viewing conditions of a
// case from its seed, describing a case for failure messages, and saving
// its frame for a look when KESTRIX_IMAGE_DUMP names a folder.
#pragma once

#include "tests/support/frame.h"
#include "tests/support/random.h"
#include "tests/support/render_barcode.h"
#include "tests/support/scan_harness.h"

#include <cstdint>
#include <string>
#include <vector>

// One turn of the ten laser patterns.
constexpr int kFramesPerTurn = 10;
// Pixels along the reading direction that symbol and quiet zones may span:
// the shortest laser through the centre is 479 samples long.
constexpr double kMaxSymbolSpan = 440;
constexpr double kMinPixelsPerModule = 2.0;
constexpr double kMaxPixelsPerModule = 4.0;

// Viewing conditions drawn from the seed: pixels per module between 2 and
// what lets the symbol fit (at most 4), blur, noise, contrast, lighting and
// a small offset from the centre. The angle and the ratio are the caller's.
RenderOptions DrawConditions(std::uint64_t seed, const BarPattern& pattern, double angleDegrees,
                             double wideRatio = 0);

// "seed 12 angle 187.3 ppm 2.41 blur 0.62 noise 3.1 contrast 0.55 ..."
std::string Describe(std::uint64_t seed, const RenderOptions& options);

// "'ean1' 5901234123457 at frame 3" for each read.
std::string Describe(const std::vector<ScanRead>& reads);

// A seed for case `index` of a test family.
std::uint64_t CaseSeed(std::uint64_t family, int index);

// Saves the frame as <dir>/<name>.png when KESTRIX_IMAGE_DUMP is set.
void DumpFrame(const Frame& frame, const std::string& name);
