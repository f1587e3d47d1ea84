// Benchmark frames, fixed by their seeds.
#include "tests/support/sample_frames.h"

#include "tests/support/clutter.h"
#include "tests/support/render_barcode.h"

namespace {
constexpr std::uint64_t kBenchSeed = 20240611;
}

Frame FrameWithEAN13() {
    RenderOptions options;
    options.pixelsPerModule = 3.0;
    options.angleDegrees = 8;
    options.blurSigma = 0.7;
    options.noiseSigma = 3;
    options.contrast = 0.75;
    options.lighting = 0.15;
    options.seed = kBenchSeed;
    return RenderBarcode(BARCODE_EANX, "590123412345", options);
}

Frame FrameWithoutBarcode() {
    return ClutterFrame(MakeClutterScene(ClutterKind::Text, kBenchSeed), kBenchSeed);
}
