// Decode dispatch, read confirmation and the hold, through VideoScan on
// frames with symbols drawn by libzint, and through CountConsecutiveScans
// for the symbologies without check digit.
#include "frame_paint.h"

#include "engine/dispatch.h"
#include "engine/symbology.h"
#include "toolbox/events.h"
#include "toolbox/ticks.h"

#include <gtest/gtest.h>
#include <zint.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Read {
    std::string text;
    OSType symbology;
    Ticks tick;
};

// An instance whose Scan events land in reads.
struct Scanner {
    EventTarget target;
    std::vector<Read> reads;
    InstancePtr instance;

    Scanner() {
        static constexpr EventTypeSpec kScan{kEventClassKestrix, kEventKindScan};
        InstallEventHandler(target, std::span(&kScan, 1), [this](EventTarget&, Event& e) {
            Str255 text;
            OSType symbology = 0;
            GetEventParameterValue(e, kParamText, typePascalString, text.bytes);
            GetEventParameterValue(e, kParamSymbology, typeType, symbology);
            reads.push_back({text.ToString(), symbology, TickCount()});
            return noErr;
        });
        instance.reset(NewInstance(nullptr, &target));
    }

    // One frame at 30 frames a second.
    void Frame() {
        AdvanceTickCount(2);
        VideoScan(instance.get());
    }
};

// The module row of a symbol as libzint encodes it: "1" for a dark module.
std::string ZintModules(int symbology, const char* data) {
    std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> sym(ZBarcode_Create(),
                                                                 ZBarcode_Delete);
    sym->symbology = symbology;
    sym->show_hrt = 0;
    sym->scale = 0.5f; // one pixel a module
    if (ZBarcode_Encode(sym.get(), reinterpret_cast<const unsigned char*>(data),
                        int(std::strlen(data))) >= ZINT_ERROR ||
        ZBarcode_Buffer(sym.get(), 0) >= ZINT_ERROR)
        return {};
    std::string modules;
    int row = sym->bitmap_height / 2;
    for (int x = 0; x < sym->bitmap_width; ++x)
        modules += sym->bitmap[3 * (row * sym->bitmap_width + x)] < 128 ? '1' : '0';
    return modules;
}

Laser* SomeLaser(ScannerInstance* s, OSType symbology, const char* text) {
    Laser* laser = s->laserHeads[3];
    laser->symbology = symbology;
    laser->text = Str255::From(text);
    return laser;
}

} // namespace

TEST(Dispatch, CheckDigitReadsAreAcceptedAtOnceThenHeld) {
    SetTickCount(1000);
    Scanner scanner;
    PaintBars(scanner.instance.get(), ZintModules(BARCODE_EANX, "400638133393"), 3);

    scanner.Frame(); // pattern 1 crosses the bars: read and accepted
    ASSERT_EQ(scanner.reads.size(), 1u);
    EXPECT_EQ(scanner.reads[0].text, "4006381333931");
    EXPECT_EQ(scanner.reads[0].symbology, kSymbologyEAN13);
    EXPECT_EQ(scanner.instance->patternIndex, 1);
    ASSERT_NE(scanner.instance->acceptedLaser, nullptr);

    // During the hold no pattern is analysed.
    while (TickCount() + 2 <= scanner.reads[0].tick + kHoldTicks) {
        scanner.Frame();
        EXPECT_EQ(scanner.instance->patternIndex, 1);
    }
    // The first frame past 120 ticks ends the hold and reads again.
    scanner.Frame();
    ASSERT_EQ(scanner.reads.size(), 2u);
    EXPECT_EQ(scanner.reads[1].tick - scanner.reads[0].tick, kHoldTicks + 2);
}

TEST(Dispatch, SwitchesSelectDecoders) {
    SetTickCount(0);
    Scanner scanner;
    ScannerInstance* s = scanner.instance.get();
    PaintBars(s, ZintModules(BARCODE_UPCA, "01234567890"), 3);

    // UPC-A alone still runs the EAN-13 decoder, which gives 12 digits.
    SetBooleanInfo(s, kKeyEAN13, 0);
    for (int i = 0; i < 10 && scanner.reads.empty(); ++i) scanner.Frame();
    ASSERT_EQ(scanner.reads.size(), 1u);
    EXPECT_EQ(scanner.reads[0].text, "012345678905");
    EXPECT_EQ(scanner.reads[0].symbology, kSymbologyUPCA);

    // Neither switch: nothing, over a whole turn of the patterns.
    SetBooleanInfo(s, kKeyUPCA, 0);
    AdvanceTickCount(kHoldTicks + 1);
    for (int i = 0; i < 10; ++i) scanner.Frame();
    EXPECT_EQ(scanner.reads.size(), 1u);

    // Scanning off: frames are not analysed.
    SetBooleanInfo(s, kKeyUPCA, 1);
    SetBooleanInfo(s, kKeyScan, 0);
    int pattern = s->patternIndex;
    for (int i = 0; i < 10; ++i) scanner.Frame();
    EXPECT_EQ(scanner.reads.size(), 1u);
    EXPECT_EQ(s->patternIndex, pattern);
}

TEST(Dispatch, ReadsWithoutEventTargetAreStillAccepted) {
    SetTickCount(0);
    InstancePtr s(NewInstance(nullptr, nullptr));
    PaintBars(s.get(), ZintModules(BARCODE_EANX, "400638133393"), 3);
    AdvanceTickCount(2);
    VideoScan(s.get());
    ASSERT_NE(s->acceptedLaser, nullptr);
    EXPECT_EQ(s->acceptedLaser->text.ToString(), "4006381333931");
}

TEST(Dispatch, ReadsWithoutCheckDigitNeedTwoEqualReadsWithin180Ticks) {
    Scanner scanner;
    ScannerInstance* s = scanner.instance.get();
    auto readAt = [&](Ticks tick, const char* text, OSType symbology = kSymbologyCode39) {
        SetTickCount(tick);
        s->acceptedLaser = nullptr;
        CountConsecutiveScans(s, SomeLaser(s, symbology, text));
    };

    readAt(0, "ABC");
    EXPECT_TRUE(scanner.reads.empty());
    readAt(179, "ABC");
    ASSERT_EQ(scanner.reads.size(), 1u);
    EXPECT_EQ(scanner.reads[0].text, "ABC");
    EXPECT_EQ(s->candidateText.Length(), 0u);

    // A different text in between replaces the candidate.
    scanner.reads.clear();
    readAt(1000, "ABC");
    readAt(1010, "ABD");
    readAt(1020, "ABC");
    EXPECT_TRUE(scanner.reads.empty());
    readAt(1030, "ABC");
    EXPECT_EQ(scanner.reads.size(), 1u);

    // At 180 ticks it is too late; that read is dropped, the next starts anew.
    scanner.reads.clear();
    readAt(2000, "XYZ");
    readAt(2180, "XYZ");
    EXPECT_TRUE(scanner.reads.empty());
    readAt(2200, "XYZ");
    EXPECT_TRUE(scanner.reads.empty());
    readAt(2379, "XYZ");
    ASSERT_EQ(scanner.reads.size(), 1u);
    EXPECT_EQ(scanner.reads[0].tick, 2379u);

    // Codabar and 2 of 5 alike; Code 128 carries a check and goes at once.
    scanner.reads.clear();
    readAt(3000, "A1234B", kSymbologyCodabar);
    readAt(3001, "1234", kSymbologyInt2of5);
    readAt(3002, "hello", kSymbologyCode128);
    ASSERT_EQ(scanner.reads.size(), 1u);
    EXPECT_EQ(scanner.reads[0].symbology, kSymbologyCode128);
}

TEST(Dispatch, SymbologyNamesAndChecks) {
    const std::pair<OSType, const char*> names[] = {{kSymbologyEAN8, "EAN-8"},
                                                    {kSymbologyEAN13, "EAN-13"},
                                                    {kSymbologyUPCA, "UPC-A"},
                                                    {kSymbologyUPCE, "UPC-E"},
                                                    {kSymbologyCodabar, "Codabar"},
                                                    {kSymbologyCode39, "Code 39"},
                                                    {kSymbologyCode128, "Code 128"},
                                                    {kSymbologyInt2of5, "2 of 5"},
                                                    {0, "Unknown"},
                                                    {"xxxx"_4cc, "Unknown"}};
    for (auto [code, name] : names) EXPECT_EQ(GetSymbologyName(code).ToString(), name);
    EXPECT_FALSE(SymbologyHasChecksum(kSymbologyCodabar));
    EXPECT_FALSE(SymbologyHasChecksum(kSymbologyCode39));
    EXPECT_FALSE(SymbologyHasChecksum(kSymbologyInt2of5));
    EXPECT_TRUE(SymbologyHasChecksum(kSymbologyCode128));
    EXPECT_TRUE(SymbologyHasChecksum(0));
}
