// Decode dispatch, read confirmation and the hold, through VideoScan on
// libzint-drawn frames: a Code 39, Codabar or Interleaved 2 of 5 symbol is
// delivered only at the second equal read less than 180 ticks after the
// first, never on one read; EAN/UPC and Code 128 at their first read; after
// a delivery no pattern is analysed for 120 ticks.
#include "tests/support/camera_effects.h"
#include "tests/support/image_case.h"
#include "tests/support/runs.h"

#include "engine/dispatch.h"
#include "engine/symbology.h"
#include "toolbox/ticks.h"
#include "video/null_video.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Bars across the whole frame, sharp and level: every pattern crosses them.
Frame Upright(int zintSymbology, const char* data) {
    RenderOptions o;
    o.barHeight = 200;
    o.blurSigma = 0.4;
    return RenderBarcode(zintSymbology, data, o);
}

constexpr int kMaxFramesToRead = 3 * kFramesPerTurn;
constexpr double kPaperGrey = 205;

struct ConfirmParam {
    const char* name;
    int zintSymbology;
    const char* data;  // symbol A
    const char* other; // symbol B, another text of the same symbology
    const char *text = nullptr, *otherText = nullptr; // what they read as, when not the data
    OSType alsoOn = 0;                                // a switch beside the eight symbologies
    // What A and B read as (a Code 39 space as "_").
    std::string Text() const { return text ? text : Code39Text(data); }
    std::string OtherText() const { return otherText ? otherText : Code39Text(other); }
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
        if (p.alsoOn) harness.SetBoolean(p.alsoOn, true);
        symbol = SymbolFrame(p.zintSymbology, p.data, 1);
        other = SymbolFrame(p.zintSymbology, p.other, 2);
        paper = PaperFrame(3);
    }
    ScanHarness harness;
    Frame symbol, other, paper;
};

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
    EXPECT_EQ(harness.Reads()[0].text, GetParam().Text());
    EXPECT_EQ(harness.Reads()[0].frame, harness.RawDecodes().back().frame);
}

// The same laser reads the symbol again one turn later; the clock is set so
// that this second read comes 178 or 180 ticks after the first.
TEST_P(ConfirmedSymbologies, SecondReadMustComeWithin180Ticks) {
    for (Ticks gap : {kConfirmWindowTicks - ScanHarness::kTicksPerFrame, kConfirmWindowTicks}) {
        ScanHarness h;
        h.SetAllSymbologies(true);
        if (GetParam().alsoOn) h.SetBoolean(GetParam().alsoOn, true);
        ASSERT_TRUE(FeedUntilDecodes(h, symbol, 1));
        Ticks first = TickCount();
        h.Run(paper, kFramesPerTurn - 1);
        SetTickCount(first + gap - ScanHarness::kTicksPerFrame);
        std::vector<ScanRead> reads = h.Feed(symbol);
        ASSERT_EQ(h.RawDecodes().size(), 2u) << "the same pattern did not read the symbol again";
        if (gap < kConfirmWindowTicks) {
            ASSERT_EQ(reads.size(), 1u) << "second equal read " << gap << " ticks after the first";
            EXPECT_EQ(reads[0].text, GetParam().Text());
        } else {
            EXPECT_TRUE(reads.empty()) << "second equal read " << gap << " ticks after the first";
        }
    }
}

TEST_P(ConfirmedSymbologies, AnotherTextInBetweenRestartsTheCount) {
    ASSERT_TRUE(FeedUntilDecodes(harness, symbol, 1));
    ASSERT_TRUE(FeedUntilDecodes(harness, other, 1));
    EXPECT_EQ(harness.RawDecodes().back().text, GetParam().OtherText());
    ASSERT_TRUE(FeedUntilDecodes(harness, symbol, 1));
    EXPECT_TRUE(harness.Reads().empty()) << Describe(harness.Reads());
    ASSERT_TRUE(FeedUntilDecodes(harness, symbol, 1));
    ASSERT_EQ(harness.Reads().size(), 1u);
    EXPECT_EQ(harness.Reads()[0].text, GetParam().Text());
}

INSTANTIATE_TEST_SUITE_P(
    Symbologies, ConfirmedSymbologies,
    testing::Values(ConfirmParam{"Code39", BARCODE_CODE39, "KESTRIX", "SCAN 39"},
                    ConfirmParam{"Codabar", BARCODE_CODABAR, "A1234B", "C98765D"},
                    ConfirmParam{"Int2of5", BARCODE_C25INTER, "12345678", "998877"},
                    // Its check digit is one in ten: no check digit to accept it at once.
                    ConfirmParam{"Code32", BARCODE_CODE32, "12345678", "80112233", "A123456788",
                                 "A801122336", kKeyCode32}),
    [](const testing::TestParamInfo<ConfirmParam>& info) { return std::string(info.param.name); });

} // namespace

TEST(Dispatch, CheckDigitReadsAreAcceptedAtOnceThenHeld) {
    ScanHarness harness;
    ScannerInstance* s = harness.Instance();
    const Frame symbol = Upright(BARCODE_EANX, "400638133393");

    // Pattern 1 crosses the bars: read and accepted.
    std::vector<ScanRead> reads = harness.Feed(symbol);
    ASSERT_EQ(reads.size(), 1u) << Describe(reads);
    EXPECT_EQ(reads[0].text, "4006381333931");
    EXPECT_EQ(reads[0].symbology, kSymbologyEAN13);
    EXPECT_EQ(s->patternIndex, 1);
    ASSERT_NE(s->acceptedLaser, nullptr);

    // During the hold no pattern is analysed.
    const Ticks accepted = TickCount();
    while (TickCount() + ScanHarness::kTicksPerFrame <= accepted + kHoldTicks) {
        EXPECT_TRUE(harness.Feed(symbol).empty());
        EXPECT_EQ(s->patternIndex, 1);
    }
    // The first frame past 120 ticks ends the hold and reads again.
    ASSERT_EQ(harness.Feed(symbol).size(), 1u);
    EXPECT_EQ(TickCount() - accepted, kHoldTicks + ScanHarness::kTicksPerFrame);

    // Code 128 too is delivered at its first read.
    ScanHarness code128;
    code128.SetAllSymbologies(true);
    reads = code128.RunUntilRead(SymbolFrame(BARCODE_CODE128, "Kestrix-128", 4), kFramesPerTurn);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].text, "Kestrix-128");
    ASSERT_EQ(code128.RawDecodes().size(), 1u);
    EXPECT_EQ(code128.RawDecodes()[0].frame, reads[0].frame);
}

// A read of the added reading is delivered only when another laser reads
// the same text: the same laser coming round again reads the same chance fit.
TEST(Dispatch, HarderReadsNeedAnotherLaser) {
    ScanHarness harness;
    ASSERT_TRUE(harness.Ready());
    ScannerInstance* in = harness.Instance();
    Laser* first = in->laserHeads[0];
    Laser* other = first->next;
    for (Laser* laser : {first, other}) {
        laser->text = Str255::From("4006381333931");
        laser->symbology = kSymbologyEAN13;
        laser->rules = kRulesSecondLook;
    }
    CountConsecutiveScans(in, first);
    CountConsecutiveScans(in, first);
    EXPECT_TRUE(harness.Reads().empty()) << Describe(harness.Reads());
    CountConsecutiveScans(in, other);
    ASSERT_EQ(harness.Reads().size(), 1u);
    EXPECT_EQ(harness.Reads()[0].text, "4006381333931");
}

// The mean threshold's table with its floor raised to a noisy sensor's
// steps drops weak edges, and a damaged symbol without a check digit reads
// as another too easily there: from it only symbologies with a check digit
// are read.
TEST(Dispatch, TheNoisyLookReadsOnlyCodesWithACheckDigit) {
    ScanHarness harness;
    harness.SetAllSymbologies(true);
    for (auto [zint, data, checked] : {std::tuple{BARCODE_CODE39, "KESTRIX", false},
                                       {BARCODE_CODABAR, "A1234B", false},
                                       {BARCODE_CODE128, "Kestrix", true},
                                       {BARCODE_EANX, "400638133393", true}}) {
        for (ReadingRules rules : {kRulesSecondLook, kRulesNoisyLook}) {
            auto laser = MakeLaser();
            LoadRuns(*laser,
                     Scaled(ZintRuns(zint, data, 12, 12, {HasWideRatio(zint) ? 3.0 : 0}), 3));
            laser->rules = rules;
            EXPECT_EQ(Decode1DBarcode(harness.Instance(), laser.get()),
                      checked || rules != kRulesNoisyLook)
                << data << " rules " << int(rules);
        }
    }
}

// With add-ons optional, an EAN/UPC read without one waits for a third
// read; a still brings none, and after its turn and its sweep the read of
// two lasers is delivered, that of one is not.
TEST(Dispatch, StillReadsWaitingForAnAddOnNeedTwoLasers) {
    for (int lasers : {1, 2}) {
        ScanHarness harness;
        ASSERT_TRUE(harness.Ready());
        harness.SetSupplementMode(kSupplementOptional);
        ScannerInstance* in = harness.Instance();
        Laser* laser = in->laserHeads[0];
        for (int i = 0; i < lasers; ++i, laser = laser->next) {
            laser->text = Str255::From("0012345678905");
            laser->symbology = kSymbologyUPCA;
            laser->rules = kRulesPrinted;
            CountConsecutiveScans(in, laser);
        }
        EXPECT_TRUE(harness.Reads().empty()) << Describe(harness.Reads());
        DeliverAwaitedRead(in);
        ASSERT_EQ(harness.Reads().size(), std::size_t(lasers - 1)) << lasers;
        if (lasers == 2) {
            EXPECT_EQ(harness.Reads()[0].text, "0012345678905");
        }
    }
}

TEST(Dispatch, SwitchesSelectDecoders) {
    ScanHarness harness;
    const Frame symbol = Upright(BARCODE_UPCA, "01234567890");

    // Neither EAN-13 nor UPC-A: no UPC-A, over a whole turn of the patterns.
    harness.SetBoolean(kKeyEAN13, false);
    harness.SetBoolean(kKeyUPCA, false);
    EXPECT_TRUE(harness.Run(symbol, kFramesPerTurn).empty());

    // Scanning off: frames are not analysed.
    harness.SetBoolean(kKeyUPCA, true);
    harness.SetBoolean(kKeyScan, false);
    int pattern = harness.Instance()->patternIndex;
    EXPECT_TRUE(harness.Run(symbol, kFramesPerTurn).empty());
    EXPECT_EQ(harness.Instance()->patternIndex, pattern);

    // Code 32 without Code 39 reads Code 32 symbols and no other Code 39.
    ScanHarness code32;
    code32.SetAllSymbologies(false);
    code32.SetBoolean(kKeyCode32, true);
    const int frames = 2 * kFramesPerTurn;
    EXPECT_TRUE(code32.Run(Upright(BARCODE_CODE39, "KESTRIX"), frames).empty());
    const std::vector<ScanRead> reads =
        code32.RunUntilRead(Upright(BARCODE_CODE32, "12345678"), frames);
    ASSERT_EQ(reads.size(), 1u) << Describe(reads);
    EXPECT_EQ(reads[0].text, "A123456788");
    EXPECT_EQ(reads[0].symbology, kSymbologyCode32);
}

TEST(Dispatch, ReadsWithoutEventTargetAreStillAccepted) {
    InstancePtr s(NewInstance(nullptr, nullptr, NullVideoHooks()));
    const Frame symbol = Upright(BARCODE_EANX, "400638133393");
    for (int y = 0; y < kFrameHeight; ++y)
        std::memcpy(s->frameBase + std::size_t(y) * std::size_t(s->frameRowBytes),
                    symbol.pixels.data() + std::size_t(y) * kFrameWidth, kFrameWidth * 4);
    AdvanceTickCount(2);
    VideoScan(s.get());
    ASSERT_NE(s->acceptedLaser, nullptr);
    EXPECT_EQ(s->acceptedLaser->text.ToString(), "4006381333931");
}
