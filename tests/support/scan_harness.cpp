// The engine harness for image tests.
#include "tests/support/scan_harness.h"

#include "engine/dispatch.h"
#include "engine/laser.h"
#include "engine/scan_event.h"
#include "video/null_video.h"

#include <cstring>

namespace {

constexpr Ticks kStartTick = 1000; // the clock when a harness starts
constexpr OSType kSymbologyKeys[] = {kKeyEAN8,    kKeyEAN13,  kKeyUPCA,    kKeyUPCE,
                                     kKeyCodabar, kKeyCode39, kKeyCode128, kKeyInt2of5};

} // namespace

ScanHarness::ScanHarness() {
    const EventTypeSpec types[] = {{kEventClassKestrix, kEventKindScan}};
    InstallEventHandler(target_, types, [this](EventTarget&, Event& event) -> OSStatus {
        const ScanEventParameters read = GetScanEventParameters(event);
        reads_.push_back({framesFed_, read.symbology, read.text.ToString()});
        return noErr;
    });
    SetTickCount(kStartTick);
    instance_.reset(NewInstance(nullptr, &target_, NullVideoHooks()));
}

void ScanHarness::SetAllSymbologies(bool on) {
    for (OSType key : kSymbologyKeys) SetBoolean(key, on);
}

std::vector<ScanRead> ScanHarness::Feed(const Frame& frame) {
    ScannerInstance* in = instance_.get();
    for (int y = 0; y < kFrameHeight; ++y) {
        std::memcpy(in->frameBase + std::size_t(y) * std::size_t(in->frameRowBytes),
                    frame.pixels.data() + std::size_t(y) * kFrameWidth, kFrameWidth * 4);
    }
    AdvanceTickCount(kTicksPerFrame);
    bool holding = in->acceptedLaser && TickCount() <= in->acceptedTick + kHoldTicks;
    std::size_t before = reads_.size();
    VideoScan(in);
    // After an analysed frame the lasers of the current pattern up to the
    // one that decoded have been cleared by the dispatcher, so the first
    // laser with a symbology code is this frame's decode (lasers after it
    // were not reached).
    const Laser* l = in->laserHeads[in->patternIndex];
    while (l && l->symbology == 0) l = l->next;
    if (l && in->scanEnabled && !holding)
        rawDecodes_.push_back({framesFed_, l->symbology, l->text.ToString()});
    ++framesFed_;
    return {reads_.begin() + long(before), reads_.end()};
}

std::vector<ScanRead> ScanHarness::Run(const Frame& frame, int frames) {
    std::size_t before = reads_.size();
    for (int i = 0; i < frames; ++i) Feed(frame);
    return {reads_.begin() + long(before), reads_.end()};
}

std::vector<ScanRead> ScanHarness::RunUntilRead(const Frame& frame, int frames) {
    std::vector<ScanRead> got;
    for (int i = 0; i < frames && got.empty(); ++i) got = Feed(frame);
    return got;
}
