// Fuzzes the reading. The first byte chooses what the rest becomes:
// - even: a laser's run table (one width per byte, scaled to a whole
//   laser), read by every enabled decoder under each of the reading rules,
//   with the table's unused entries poisoned, so that a decoder reading
//   beyond the laser's last run is caught;
// - odd: a frame, the bytes as a grey profile repeated down the rows with a
//   shift per row that the second byte sets, scanned as a live frame with
//   the harder reading (its analyses and decoders on every laser).
// Every symbology is on and add-ons are optional.
#include "engine/dispatch.h"
#include "engine/laser.h"
#include "engine/scanner_instance.h"
#include "toolbox/ticks.h"
#include "video/null_video.h"

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr OSType kSymbologies[] = {kKeyEAN8,    kKeyEAN13,  kKeyUPCA,    kKeyUPCE,
                                   kKeyCodabar, kKeyCode39, kKeyCode128, kKeyInt2of5};

ScannerInstance* Instance() {
    static InstancePtr instance = [] {
        InstancePtr s(NewInstance(nullptr, nullptr, NullVideoHooks()));
        if (!s) std::abort();
        for (OSType key : kSymbologies) SetBooleanInfo(s.get(), key, 1);
        SetOSTypeInfo(s.get(), kKeySupplement, kSupplementOptional);
        SetTickCount(0);
        return s;
    }();
    return instance.get();
}

void ReadRunTable(ScannerInstance* s, const std::uint8_t* data, std::size_t size) {
    static Laser* laser = NewLaser(s, -1, 0, kFrameHeight / 2, kFrameWidth - 1, kFrameHeight / 2);
    if (!laser) std::abort();
    const int count = int(std::min<std::size_t>(size, kMaxElements));
    double total = 0;
    for (int i = 0; i < count; ++i) total += 1 + data[i];
    const double scale = total > 0 ? laser->sampleCount / total : 0;
    double start = 0;
    for (int i = 0; i < count; ++i) {
        const double width = (1 + data[i]) * scale;
        laser->elements[i] = {start, width, std::uint32_t(i & 1)};
        start += width;
    }
    laser->elementCount = count;

    Element* unused = laser->elements + count;
    const std::size_t unusedBytes = sizeof(Element) * std::size_t(kMaxElements - count);
    ASAN_POISON_MEMORY_REGION(unused, unusedBytes);
    for (ReadingRules rules : {kRulesPrinted, kRulesHard, kRulesSecondLook, kRulesNoisyLook}) {
        laser->rules = rules;
        Decode1DBarcode(s, laser);
    }
    ASAN_UNPOISON_MEMORY_REGION(unused, unusedBytes);
}

void ScanFrame(ScannerInstance* s, const std::uint8_t* data, std::size_t size) {
    if (size < 2) return;
    const int shift = data[0];
    const std::uint8_t* profile = data + 1;
    const std::size_t length = size - 1;
    for (int y = 0; y < kFrameHeight; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(
            s->frameBase + std::size_t(y) * std::size_t(s->frameRowBytes));
        const std::size_t offset = std::size_t(y) * std::size_t(shift) / 16;
        for (int x = 0; x < kFrameWidth; ++x) {
            const std::uint32_t grey = profile[(std::size_t(x) + offset) % length];
            row[x] = 0xFF000000u | grey << 16 | grey << 8 | grey;
        }
    }
    AdvanceTickCount(2);
    VideoScan(s);
    s->acceptedLaser = nullptr; // no hold: every input is scanned
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    ScannerInstance* s = Instance();
    if (data[0] & 1)
        ScanFrame(s, data + 1, size - 1);
    else
        ReadRunTable(s, data + 1, size - 1);
    return 0;
}
