// The two fixed frames of the benchmarks: the one with an EAN-13 is read
// within a turn, the printed page without a barcode gives no read at all
// with every symbology on. Scenes without a code are the photographs'
// (PhotoBench).
#include "tests/support/image_case.h"
#include "tests/support/sample_frames.h"

#include "engine/scanner_instance.h"
#include "engine/symbology.h"

#include <gtest/gtest.h>

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
