#include "engine/frame_sweep.h"

#include "engine/dispatch.h"
#include "engine/laser.h"
#include "engine/read_harder.h"
#include "engine/scanner_instance.h"
#include "engine/sensor.h"
#include "engine/symbology.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr int kLineSpacing = 8;    // pixels between parallel lines
constexpr int kDiagonalStep = 11;  // 8 pixels apart across a 45-degree line
constexpr int kMinLineSamples = 40; // shorter lines, in the frame's corners, hold no symbol
constexpr int kMaxSightings = 32;
constexpr int kConfirmingLines = 2;

struct Sighting {
    Str255 text;
    OSType symbology = 0;
    int lines = 0;      // distinct lines that read it
    int lastLine = -1;  // the last of them
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct Sightings {
    std::array<Sighting, kMaxSightings> list;
    int count = 0;

    void Add(const Laser* laser, int line) {
        for (int i = 0; i < count; ++i) {
            Sighting& s = list[std::size_t(i)];
            if (s.symbology == laser->symbology && s.text == laser->text) {
                if (s.lastLine != line) ++s.lines, s.lastLine = line;
                return;
            }
        }
        if (count == kMaxSightings) return;
        list[std::size_t(count++)] = {laser->text,  laser->symbology, 1,           line,
                                      laser->startX, laser->startY,   laser->endX, laser->endY};
    }
};

// Reverses the run table in place: the laser then reads from its other end.
// The table keeps its shape: it starts with a space, at 0.0.
void ReverseRuns(Laser* laser) {
    Element* e = laser->elements;
    int n = laser->elementCount;
    if (n == 0) return;
    std::reverse(e, e + n);
    if (e[0].isBar) {
        if (n >= kMaxElements) {
            laser->elementCount = 0;
            return;
        }
        std::move_backward(e, e + n, e + n + 1);
        e[0] = {0.0, 0.0, 0u};
        ++n;
    }
    double start = 0.0;
    for (int i = 0; i < n; ++i) {
        e[i].start = start;
        start += e[i].width;
    }
    laser->elementCount = n;
}

bool ReadLine(ScannerInstance* instance, Laser* laser) {
    laser->rules = kRulesPrinted;
    if (Decode1DBarcode(instance, laser)) return true;
    laser->rules = kRulesHard;
    if (Decode1DBarcode(instance, laser)) return true;
    laser->rules = kRulesPrinted;
    return false;
}

// The scan lines, as end points clipped to the frame, each given to visit.
template <class Visit> void ForEachLine(Visit visit) {
    const int w = kFrameWidth - 1, h = kFrameHeight - 1;
    for (int y = kLineSpacing / 2; y <= h; y += kLineSpacing) visit(0, y, w, y);
    for (int x = kLineSpacing / 2; x <= w; x += kLineSpacing) visit(x, 0, x, h);
    // 45 degrees, up to the right: x + y = c.
    for (int c = kDiagonalStep / 2; c <= w + h; c += kDiagonalStep) {
        int x1 = std::max(0, c - h), x2 = std::min(w, c);
        visit(x1, c - x1, x2, c - x2);
    }
    // 135 degrees, down to the right: x - y = c.
    for (int c = -h + kDiagonalStep / 2; c <= w; c += kDiagonalStep) {
        int x1 = std::max(0, c), x2 = std::min(w, c + h);
        visit(x1, x1 - c, x2, x2 - c);
    }
}

bool LacksAddOn(const Sighting& s) {
    return (s.symbology == kSymbologyEAN13 || s.symbology == kSymbologyUPCA) &&
           s.text.View().find(' ') == std::string_view::npos;
}

// The sighting to deliver: one that enough lines read, an EAN/UPC with its
// add-on rather than without it when add-ons are wanted.
const Sighting* Choose(const ScannerInstance* instance, const Sightings& sightings) {
    const bool addOnsWanted = instance->supplementMode != kSupplementIgnore;
    const Sighting* best = nullptr;
    for (int i = 0; i < sightings.count; ++i) {
        const Sighting& s = sightings.list[std::size_t(i)];
        if (s.lines < kConfirmingLines) continue;
        if (!best || (addOnsWanted && LacksAddOn(*best) && !LacksAddOn(s) &&
                      s.text.View().starts_with(best->text.View())))
            best = &s;
    }
    if (!best || !addOnsWanted || !LacksAddOn(*best)) return best;
    for (int i = 0; i < sightings.count; ++i) {
        const Sighting& s = sightings.list[std::size_t(i)];
        if (s.lines >= kConfirmingLines && !LacksAddOn(s) &&
            s.text.View().starts_with(best->text.View()))
            return &s;
    }
    return best;
}

} // namespace

void SweepWholeFrame(ScannerInstance* instance) {
    if (!instance->tryHarder || instance->acceptedLaser || !instance->frameBase) return;
    if (!instance->sweepLaser) instance->sweepLaser = NewLaser(instance, -1, 0, 0, 0, 0);
    if (!instance->sweepRead) instance->sweepRead = NewLaser(instance, -1, 0, 0, 0, 0);
    Laser* laser = instance->sweepLaser;
    if (!laser || !instance->sweepRead) return;

    Sightings sightings;
    int line = 0;
    ForEachLine([&](int x1, int y1, int x2, int y2) {
        ++line;
        SetLaserPosition(instance, laser, x1, y1, x2, y2);
        if (laser->sampleCount < kMinLineSamples) return;
        AnalyzeSensor(instance, laser);
        if (ReadLine(instance, laser)) sightings.Add(laser, line);
        ReverseRuns(laser);
        std::swap(laser->startX, laser->endX);
        std::swap(laser->startY, laser->endY);
        if (ReadLine(instance, laser)) sightings.Add(laser, line);
    });

    const Sighting* chosen = Choose(instance, sightings);
    if (!chosen) return;
    Laser* read = instance->sweepRead;
    SetLaserPosition(instance, read, std::int32_t(chosen->x1), std::int32_t(chosen->y1),
                     std::int32_t(chosen->x2), std::int32_t(chosen->y2));
    read->text = chosen->text;
    read->symbology = chosen->symbology;
    ScanSuccessful(instance, read);
}
