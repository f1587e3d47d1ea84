// The two fixed frames that the benchmarks use: the one with an EAN-13 is
// read within a turn of the patterns, the one without a barcode gives no
// read, so the benchmarks measure what they claim to.
#include "tests/support/image_case.h"

#include "engine/symbology.h"
#include "tests/support/sample_frames.h"

#include <gtest/gtest.h>

TEST(SampleFrames, TheFrameWithAnEan13IsRead) {
    ScanHarness harness;
    ASSERT_TRUE(harness.Ready());
    std::vector<ScanRead> reads = harness.RunUntilRead(FrameWithEAN13(), kFramesPerTurn);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].text, "5901234123457");
    EXPECT_EQ(reads[0].symbology, kSymbologyEAN13);
}

TEST(SampleFrames, TheFrameWithoutABarcodeGivesNoRead) {
    ScanHarness harness;
    ASSERT_TRUE(harness.Ready());
    harness.SetAllSymbologies(true);
    EXPECT_TRUE(harness.Run(FrameWithoutBarcode(), 2 * kFramesPerTurn).empty());
    EXPECT_TRUE(harness.RawDecodes().empty());
}
