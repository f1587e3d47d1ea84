// The confirmation rule end to end, through frames: a Code 39, Codabar or
// Interleaved 2 of 5 symbol is delivered only at the second equal read less
// than 180 ticks after the first, never on one read; a Code 128 symbol is
// delivered at its first read; after a delivery scanning pauses 120 ticks.
#include "tests/support/image_case.h"

#include "engine/dispatch.h"
#include "engine/symbology.h"
#include "tests/support/camera_effects.h"
#include "toolbox/ticks.h"

#include <gtest/gtest.h>

namespace {

constexpr int kMaxFramesToRead = 3 * kFramesPerTurn;
constexpr double kPaperGrey = 205;

struct ConfirmParam {
    const char* name;
    int zintSymbology;
    const char* data;  // symbol A
    const char* other; // symbol B, another text of the same symbology
    const char* text;  // what A reads as
    const char* otherText;
};

Frame SymbolFrame(int zintSymbology, const char* data, std::uint64_t seed) {
    RenderOptions o;
    o.pixelsPerModule = 3;
    o.angleDegrees = 23;
    o.blurSigma = 0.6;
    o.noiseSigma = 2;
    o.seed = seed;
    o.wideRatio = HasWideRatio(zintSymbology) ? 3 : 0;
    return RenderBarcode(zintSymbology, data, o);
}

Frame PaperFrame(std::uint64_t seed) {
    return ToFrame(GrayImage(kFrameWidth, kFrameHeight, float(kPaperGrey)), {2, seed});
}

// Feeds the frame until the harness has decoded `count` more times (raw,
// before confirmation) or the frame limit passes; true when it got there.
bool FeedUntilDecodes(ScanHarness& harness, const Frame& frame, std::size_t count) {
    std::size_t target = harness.RawDecodes().size() + count;
    for (int i = 0; i < kMaxFramesToRead && harness.RawDecodes().size() < target; ++i)
        harness.Feed(frame);
    return harness.RawDecodes().size() >= target;
}

void PrintTo(const ConfirmParam& p, std::ostream* out) {
    *out << p.name;
}

class ConfirmedSymbologies : public testing::TestWithParam<ConfirmParam> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(harness.Ready());
        harness.SetAllSymbologies(true);
        const ConfirmParam& p = GetParam();
        symbol = SymbolFrame(p.zintSymbology, p.data, 1);
        other = SymbolFrame(p.zintSymbology, p.other, 2);
        paper = PaperFrame(3);
    }
    ScanHarness harness;
    Frame symbol, other, paper;
};

TEST_P(ConfirmedSymbologies, DeliveredAtTheSecondEqualRead) {
    std::vector<ScanRead> reads = harness.RunUntilRead(symbol, kMaxFramesToRead);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].text, GetParam().text);
    const std::vector<ScanRead>& raw = harness.RawDecodes();
    ASSERT_EQ(raw.size(), 2u) << "delivered at raw decode " << raw.size();
    EXPECT_EQ(raw[0].text, raw[1].text);
    EXPECT_LT(raw[0].frame, raw[1].frame);
    EXPECT_EQ(reads[0].frame, raw[1].frame);
    EXPECT_LT(Ticks(raw[1].frame - raw[0].frame) * ScanHarness::kTicksPerFrame,
              kConfirmWindowTicks);
}

TEST_P(ConfirmedSymbologies, NeverDeliveredOnOneRead) {
    ASSERT_TRUE(FeedUntilDecodes(harness, symbol, 1));
    EXPECT_TRUE(harness.Reads().empty());
    // Out of view for longer than the confirmation window.
    EXPECT_TRUE(harness.Run(paper, kConfirmWindowTicks / ScanHarness::kTicksPerFrame + 10).empty());
    // Back in view: the first equal read comes too late and is dropped, the
    // next starts a new candidate, the one after that is delivered.
    ASSERT_TRUE(FeedUntilDecodes(harness, symbol, 2));
    EXPECT_TRUE(harness.Reads().empty());
    ASSERT_TRUE(FeedUntilDecodes(harness, symbol, 1));
    ASSERT_EQ(harness.Reads().size(), 1u);
    EXPECT_EQ(harness.Reads()[0].text, GetParam().text);
    EXPECT_EQ(harness.Reads()[0].frame, harness.RawDecodes().back().frame);
}

// The same laser reads the symbol again one turn later; the clock is set so
// that this second read comes 178 or 180 ticks after the first.
TEST_P(ConfirmedSymbologies, SecondReadMustComeWithin180Ticks) {
    for (Ticks gap : {kConfirmWindowTicks - ScanHarness::kTicksPerFrame, kConfirmWindowTicks}) {
        ScanHarness h;
        h.SetAllSymbologies(true);
        ASSERT_TRUE(FeedUntilDecodes(h, symbol, 1));
        Ticks first = TickCount();
        h.Run(paper, kFramesPerTurn - 1);
        SetTickCount(first + gap - ScanHarness::kTicksPerFrame);
        std::vector<ScanRead> reads = h.Feed(symbol);
        ASSERT_EQ(h.RawDecodes().size(), 2u) << "the same pattern did not read the symbol again";
        if (gap < kConfirmWindowTicks) {
            ASSERT_EQ(reads.size(), 1u) << "second equal read " << gap << " ticks after the first";
            EXPECT_EQ(reads[0].text, GetParam().text);
        } else {
            EXPECT_TRUE(reads.empty()) << "second equal read " << gap << " ticks after the first";
        }
    }
}

TEST_P(ConfirmedSymbologies, AnotherTextInBetweenRestartsTheCount) {
    ASSERT_TRUE(FeedUntilDecodes(harness, symbol, 1));
    ASSERT_TRUE(FeedUntilDecodes(harness, other, 1));
    EXPECT_EQ(harness.RawDecodes().back().text, GetParam().otherText);
    ASSERT_TRUE(FeedUntilDecodes(harness, symbol, 1));
    EXPECT_TRUE(harness.Reads().empty()) << Describe(harness.Reads());
    ASSERT_TRUE(FeedUntilDecodes(harness, symbol, 1));
    ASSERT_EQ(harness.Reads().size(), 1u);
    EXPECT_EQ(harness.Reads()[0].text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Symbologies, ConfirmedSymbologies,
    testing::Values(
        ConfirmParam{"Code39", BARCODE_CODE39, "KESTRIX", "SCAN 39", "KESTRIX", "SCAN_39"},
        ConfirmParam{"Codabar", BARCODE_CODABAR, "A1234B", "C98765D", "A1234B", "C98765D"},
        ConfirmParam{"Int2of5", BARCODE_C25INTER, "12345678", "9988", "12345678", "9988"}),
    [](const testing::TestParamInfo<ConfirmParam>& info) { return std::string(info.param.name); });

TEST(Code128Confirmation, DeliveredAtTheFirstRead) {
    ScanHarness harness;
    ASSERT_TRUE(harness.Ready());
    harness.SetAllSymbologies(true);
    Frame symbol = SymbolFrame(BARCODE_CODE128, "Kestrix-128", 4);
    std::vector<ScanRead> reads = harness.RunUntilRead(symbol, kFramesPerTurn);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].text, "Kestrix-128");
    ASSERT_EQ(harness.RawDecodes().size(), 1u);
    EXPECT_EQ(harness.RawDecodes()[0].frame, reads[0].frame);
}

// Kept in view, a symbol is delivered again after each hold of 120 ticks.
TEST(Code128Confirmation, DeliveredAgainAfterEachHold) {
    ScanHarness harness;
    ASSERT_TRUE(harness.Ready());
    harness.SetAllSymbologies(true);
    Frame symbol = SymbolFrame(BARCODE_CODE128, "Kestrix-128", 5);
    constexpr int kFrames = 200;
    harness.Run(symbol, kFrames);
    const std::vector<ScanRead>& reads = harness.Reads();
    ASSERT_GE(reads.size(), 3u) << Describe(reads);
    for (std::size_t i = 1; i < reads.size(); ++i) {
        Ticks apart = Ticks(reads[i].frame - reads[i - 1].frame) * ScanHarness::kTicksPerFrame;
        EXPECT_GT(apart, kHoldTicks);
        // The first frame after the hold starts a new turn, which reads it.
        EXPECT_LE(apart, kHoldTicks + (kFramesPerTurn + 1) * ScanHarness::kTicksPerFrame);
    }
}

} // namespace
