// Frames without a barcode (noise, stripes of one period or of random
// widths, printed text) shown as live video: each scene stays in view for two turns of
// the patterns with fresh sensor noise on every frame. With all eight
// symbologies enabled nothing may be delivered. Also the two fixed frames
// of the benchmarks: the one with an EAN-13 is read within a turn, the one
// without a barcode gives no read at all.
#include "tests/support/clutter.h"
#include "tests/support/image_case.h"
#include "tests/support/sample_frames.h"

#include "engine/scanner_instance.h"
#include "engine/symbology.h"

#include <gtest/gtest.h>

#include <algorithm>

// Names the scene kind in GoogleTest's messages (found by argument lookup).
void PrintTo(ClutterKind kind, std::ostream* out) {
    *out << ClutterName(kind);
}

// One test a kind of scene, so that they run side by side.
class FalsePositives : public testing::TestWithParam<ClutterKind> {};

TEST_P(FalsePositives, NothingDeliveredWithAllSymbologiesEnabled) {
    ScanHarness harness;
    harness.SetAllSymbologies(true);
    harness.SetSupplementMode(kSupplementOptional);
    for (int s = 0; s < 60; ++s) {
        const std::uint64_t seed = CaseSeed(700 + std::uint64_t(GetParam()), s);
        const ClutterScene scene = MakeClutterScene(GetParam(), seed);
        for (int f = 0; f < 2 * kFramesPerTurn; ++f) {
            const std::vector<ScanRead> reads =
                harness.Feed(ClutterFrame(scene, seed * 131 + std::uint64_t(f)));
            EXPECT_TRUE(reads.empty()) << "scene seed " << seed << ": " << Describe(reads);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, FalsePositives, testing::ValuesIn(kAllClutterKinds),
                         [](const testing::TestParamInfo<ClutterKind>& info) {
                             std::string name = ClutterName(info.param);
                             std::ranges::replace(name, ' ', '_');
                             return name;
                         });

TEST(SampleFrames, TheFrameWithAnEan13IsReadTheOtherNot) {
    ScanHarness harness;
    std::vector<ScanRead> reads = harness.RunUntilRead(FrameWithEAN13(), kFramesPerTurn);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].text, "5901234123457");
    EXPECT_EQ(reads[0].symbology, kSymbologyEAN13);

    ScanHarness without;
    without.SetAllSymbologies(true);
    EXPECT_TRUE(without.Run(FrameWithoutBarcode(), 2 * kFramesPerTurn).empty());
    EXPECT_TRUE(without.RawDecodes().empty());
}
