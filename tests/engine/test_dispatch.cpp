// Decode dispatch, read confirmation and the hold, through VideoScan on
// libzint-drawn frames: a Code 39, Codabar, Interleaved 2 of 5 or Code 32
// symbol is delivered only at the second equal read less than 180 ticks
// after the first, never on one read; EAN/UPC and Code 128 at their first
// read; after a delivery no pattern is analysed for 120 ticks.
#include "tests/support/image_case.h"
#include "tests/support/runs.h"

#include "engine/dispatch.h"
#include "engine/read_harder.h"
#include "engine/sensor.h"
#include "engine/symbology.h"
#include "toolbox/ticks.h"
#include "video/null_video.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kMaxFramesToRead = 3 * kFramesPerTurn;
constexpr double kPaperGrey = 205;

// A symbol turned by 23 degrees; or, upright, bars across the whole frame,
// sharp and level, that every pattern crosses.
Frame SymbolFrame(int zintSymbology, const char* data, std::uint64_t seed, bool upright = false) {
    RenderOptions o;
    o.angleDegrees = upright ? 0 : 23;
    o.blurSigma = upright ? 0.4 : 0.6;
    o.seed = seed;
    o.wideRatio = HasWideRatio(zintSymbology) ? 3 : 0;
    o.barHeight = upright ? 200 : 0;
    return RenderBarcode(zintSymbology, data, o);
}

// Feeds the frame until the harness has decoded `count` more times (raw,
// before confirmation) or the frame limit passes; true when it got there.
bool FeedUntilDecodes(ScanHarness& harness, const Frame& frame, std::size_t count) {
    std::size_t target = harness.RawDecodes().size() + count;
    for (int i = 0; i < kMaxFramesToRead && harness.RawDecodes().size() < target; ++i)
        harness.Feed(frame);
    return harness.RawDecodes().size() >= target;
}

} // namespace

TEST(Dispatch, ReadsWithoutCheckDigitAreDeliveredAtTheSecondEqualReadWithin180Ticks) {
    const struct {
        int zintSymbology;
        const char* data;  // symbol A
        const char* other; // symbol B, another text of the same symbology
        const char* text;  // what A reads as
        OSType alsoOn = 0; // a switch beside the eight symbologies
    } cases[] = {
        {BARCODE_CODE39, "KESTRIX", "SCAN 39", "KESTRIX"},
        {BARCODE_CODABAR, "A1234B", "C98765D", "A1234B"},
        {BARCODE_C25INTER, "12345678", "998877", "12345678"},
        // Its check digit is one in ten: no check digit to accept it at once.
        {BARCODE_CODE32, "12345678", "80112233", "A123456788", kKeyCode32},
    };
    const Frame paper = ToFrame(GrayImage(kFrameWidth, kFrameHeight, float(kPaperGrey)), 2, 3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        const Frame symbol = SymbolFrame(c.zintSymbology, c.data, 1);
        const Frame other = SymbolFrame(c.zintSymbology, c.other, 2);
        auto harness = [&] {
            auto h = std::make_unique<ScanHarness>();
            h->SetAllSymbologies(true);
            if (c.alsoOn) h->SetBoolean(c.alsoOn, true);
            return h;
        };

        // One read, then out of view for longer than the confirmation
        // window: nothing. Back in view: the first equal read comes too late
        // and is dropped, the next starts a new candidate, the one after
        // that is delivered.
        auto h = harness();
        ASSERT_TRUE(FeedUntilDecodes(*h, symbol, 1));
        EXPECT_TRUE(h->Run(paper, kConfirmWindowTicks / ScanHarness::kTicksPerFrame + 10).empty());
        ASSERT_TRUE(FeedUntilDecodes(*h, symbol, 2));
        EXPECT_TRUE(h->Reads().empty()) << Describe(h->Reads());
        ASSERT_TRUE(FeedUntilDecodes(*h, symbol, 1));
        ASSERT_EQ(h->Reads().size(), 1u);
        EXPECT_EQ(h->Reads()[0].text, c.text);
        EXPECT_EQ(h->Reads()[0].frame, h->RawDecodes().back().frame);

        // Another text in between restarts the count.
        h = harness();
        ASSERT_TRUE(FeedUntilDecodes(*h, symbol, 1));
        ASSERT_TRUE(FeedUntilDecodes(*h, other, 1));
        ASSERT_TRUE(FeedUntilDecodes(*h, symbol, 1));
        EXPECT_TRUE(h->Reads().empty()) << Describe(h->Reads());
        ASSERT_TRUE(FeedUntilDecodes(*h, symbol, 1));
        ASSERT_EQ(h->Reads().size(), 1u);
        EXPECT_EQ(h->Reads()[0].text, c.text);

        // The same laser reads the symbol again one turn later, the clock
        // set so that this second read comes 178 or 180 ticks after the
        // first.
        for (Ticks gap : {kConfirmWindowTicks - ScanHarness::kTicksPerFrame, kConfirmWindowTicks}) {
            h = harness();
            ASSERT_TRUE(FeedUntilDecodes(*h, symbol, 1));
            Ticks first = TickCount();
            h->Run(paper, kFramesPerTurn - 1);
            SetTickCount(first + gap - ScanHarness::kTicksPerFrame);
            std::vector<ScanRead> reads = h->Feed(symbol);
            ASSERT_EQ(h->RawDecodes().size(), 2u) << "the same pattern did not read it again";
            EXPECT_EQ(reads.size(), gap < kConfirmWindowTicks ? 1u : 0u) << "gap " << gap;
        }
    }
}

TEST(Dispatch, CheckDigitReadsAreAcceptedAtOnceThenHeld) {
    ScanHarness harness;
    ScannerInstance* s = harness.Instance();
    const Frame symbol = SymbolFrame(BARCODE_EANX, "400638133393", 1, true);

    // Pattern 1 crosses the bars: read and accepted.
    std::vector<ScanRead> reads = harness.Feed(symbol);
    ASSERT_EQ(reads.size(), 1u) << Describe(reads);
    EXPECT_EQ(reads[0].text, "4006381333931");
    EXPECT_EQ(reads[0].symbology, kSymbologyEAN13);
    EXPECT_EQ(s->patternIndex, 1);

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

    // An instance without an event target accepts reads all the same.
    InstancePtr alone(NewInstance(nullptr, nullptr, NullVideoHooks()));
    std::copy(symbol.pixels.begin(), symbol.pixels.end(),
              reinterpret_cast<std::uint32_t*>(alone->frameBase));
    AdvanceTickCount(2);
    VideoScan(alone.get());
    ASSERT_NE(alone->acceptedLaser, nullptr);
    EXPECT_EQ(alone->acceptedLaser->text.ToString(), "4006381333931");
}

// Reads put straight into the lasers of pattern 0: a read of the harder
// reading is delivered only when another laser reads the same text (the
// same laser coming round again reads the same chance fit); with add-ons
// optional, an EAN/UPC read without one waits for a third read, and after a
// still's turn and its sweep the read of two lasers is delivered, that of
// one is not.
TEST(Dispatch, HarderReadsAndReadsAwaitingAnAddOnNeedTwoLasers) {
    struct Case {
        ReadingRules rules;
        OSType supplement;
        std::vector<int> lasers;           // the lasers that read, in turn
        std::size_t delivered, afterSweep; // reads before the still's sweep ends, and after
    };
    for (const Case& c : {Case{kRulesSecondLook, kSupplementIgnore, {0, 0}, 0, 0},
                          Case{kRulesSecondLook, kSupplementIgnore, {0, 0, 1}, 1, 1},
                          Case{kRulesPrinted, kSupplementOptional, {0}, 0, 0},
                          Case{kRulesPrinted, kSupplementOptional, {0, 1}, 0, 1}}) {
        ScanHarness harness;
        harness.SetSupplementMode(c.supplement);
        ScannerInstance* in = harness.Instance();
        for (int index : c.lasers) {
            Laser* laser = in->laserHeads[0];
            for (int i = 0; i < index; ++i) laser = laser->next;
            laser->text = Str255::From("0012345678905");
            laser->symbology = kSymbologyUPCA;
            laser->rules = c.rules;
            CountConsecutiveScans(in, laser);
        }
        const std::string trace = "rules " + std::to_string(int(c.rules)) + ", " +
                                  std::to_string(c.lasers.size()) + " reads";
        EXPECT_EQ(harness.Reads().size(), c.delivered) << trace;
        DeliverAwaitedRead(in);
        ASSERT_EQ(harness.Reads().size(), c.afterSweep) << trace;
        for (const ScanRead& r : harness.Reads()) EXPECT_EQ(r.text, "0012345678905");
    }
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

TEST(Dispatch, SwitchesSelectDecoders) {
    ScanHarness harness;
    const Frame symbol = SymbolFrame(BARCODE_UPCA, "01234567890", 1, true);

    // Scanning off: frames are not analysed.
    harness.SetBoolean(kKeyScan, false);
    int pattern = harness.Instance()->patternIndex;
    EXPECT_TRUE(harness.Run(symbol, kFramesPerTurn).empty());
    EXPECT_EQ(harness.Instance()->patternIndex, pattern);

    // Code 32 without Code 39 reads Code 32 symbols and no other Code 39.
    ScanHarness code32;
    code32.SetAllSymbologies(false);
    code32.SetBoolean(kKeyCode32, true);
    const int frames = 2 * kFramesPerTurn;
    EXPECT_TRUE(code32.Run(SymbolFrame(BARCODE_CODE39, "KESTRIX", 1, true), frames).empty());
    const std::vector<ScanRead> reads =
        code32.RunUntilRead(SymbolFrame(BARCODE_CODE32, "12345678", 1, true), frames);
    ASSERT_EQ(reads.size(), 1u) << Describe(reads);
    EXPECT_EQ(reads[0].text, "A123456788");
    EXPECT_EQ(reads[0].symbology, kSymbologyCode32);
}

// A harder read of a code without a check digit counts only when the lines
// 4 pixels to either side read it too: across bars 30 modules tall they do;
// across a strip 6 pixels tall (as a line entering through the bars' ends
// sees) they leave the bars.
TEST(Dispatch, HarderReadsWithoutCheckDigitReachAcrossTheirLine) {
    for (auto [barHeight, reaches] : {std::pair{30.0, true}, {2.0, false}}) {
        RenderOptions o;
        o.barHeight = barHeight;
        o.wideRatio = 3;
        o.blurSigma = 0.4;
        const Frame frame = RenderBarcode(BARCODE_CODABAR, "A123456B", o);
        InstancePtr s(NewInstance(nullptr, nullptr, NullVideoHooks()));
        SetBooleanInfo(s.get(), kKeyCodabar, true);
        std::copy(frame.pixels.begin(), frame.pixels.end(),
                  reinterpret_cast<std::uint32_t*>(s->frameBase));
        std::unique_ptr<Laser> laser(NewLaser(s.get(), -1, 0, 240, kFrameWidth - 1, 240));
        AnalyzeSensor(s.get(), laser.get());
        ASSERT_TRUE(ReadLaserHarder(s.get(), laser.get())) << barHeight;
        EXPECT_EQ(laser->text.ToString(), "A123456B");
        EXPECT_EQ(ReachesAcross(s.get(), laser.get(), SecondLook::kBoth), reaches) << barHeight;
    }
}
