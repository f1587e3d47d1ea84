#include "engine/frame_sweep.h"

#include "engine/accept.h"
#include "engine/decode.h"
#include "engine/laser.h"
#include "engine/read_harder.h"
#include "engine/scanner_instance.h"
#include "engine/sensor.h"
#include "engine/sweep_sightings.h"
#include "engine/symbology.h"

#include "toolbox/ticks.h"

#include <algorithm>
#include <array>
#include <new>
#include <string_view>

namespace {

using sweep::Line;
using sweep::Sighting;

constexpr int kRowSpacing = 6;      // pixels between rows: most codes are held level
constexpr int kColumnSpacing = 8;   // pixels between columns
constexpr int kDiagonalStep = 22;   // 16 pixels apart across a 45-degree line
constexpr int kMinLineSamples = 40; // shorter lines, in the frame's corners, hold no symbol
constexpr int kConfirmingLines = 2;

} // namespace

namespace {

// Copies the run table of from into to, reversed: to then reads the same
// line from its other end, and its samples with it. The table keeps its
// shape: it starts and ends with a space.
void CopyReversed(const Laser* from, Laser* to) {
    const int n = from->elementCount;
    const double length = n > 0 ? from->elements[n - 1].start + from->elements[n - 1].width : 0;
    for (int i = 0; i < n; ++i) {
        const Element& e = from->elements[n - 1 - i];
        to->elements[i] = {length - e.start - e.width, e.width, e.isBar};
    }
    to->elementCount = n;
    const int samples = from->samplesTaken;
    for (int i = 0; i < samples; ++i) to->samples[i] = from->samples[samples - 1 - i];
    to->samplesTaken = samples;
}

// Reads line both ways with the harder reading's rules (which take nearly all
// that the printed rules take, and more): its first run table, then that of
// the mean threshold. Each direction that decodes is given to found (the
// laser that read it and the line in its reading direction), once.
template <class Found>
void ReadLine(ScannerInstance* instance, Laser* forward, Laser* backward, const Line& line,
              Found found) {
    SetLaserPosition(instance, forward, line.x1, line.y1, line.x2, line.y2);
    if (forward->sampleCount < kMinLineSamples) return;
    const Line back{line.x2, line.y2, line.x1, line.y1};
    SetLaserPosition(instance, backward, back.x1, back.y1, back.x2, back.y2);
    bool forwardRead = false, backwardRead = false;
    auto tryBoth = [&](ReadingRules rules) {
        if (!backwardRead) CopyReversed(forward, backward);
        if (!forwardRead) {
            forward->rules = rules;
            if ((forwardRead = Decode1DBarcode(instance, forward))) found(forward, line);
        }
        if (!backwardRead) {
            backward->rules = rules;
            if ((backwardRead = Decode1DBarcode(instance, backward))) found(backward, back);
        }
        return forwardRead && backwardRead;
    };
    AnalyzeSensor(instance, forward);
    if (tryBoth(kRulesHard)) return;
    if (forward->elementCount < kMinRunsForSecondLook) return;
    // The mean threshold's table only: on whole pictures the edge analysis
    // finds what the two others find, at the cost of both.
    tryBoth(AnalyzeMeanLook(forward, forward->samples, forward->samplesTaken));
}

// The scan lines, as end points clipped to the frame, each given to visit.
template <class Visit>
void ForEachLine(Visit visit) {
    const int w = kFrameWidth - 1, h = kFrameHeight - 1;
    for (int y = kRowSpacing / 2; y <= h; y += kRowSpacing) visit(Line{0, y, w, y});
    for (int x = kColumnSpacing / 2; x <= w; x += kColumnSpacing) visit(Line{x, 0, x, h});
    // 45 degrees, up to the right: x + y = c.
    for (int c = kDiagonalStep / 2; c <= w + h; c += kDiagonalStep) {
        int x1 = std::max(0, c - h), x2 = std::min(w, c);
        visit(Line{x1, c - x1, x2, c - x2});
    }
    // 135 degrees, down to the right: x - y = c.
    for (int c = -h + kDiagonalStep / 2; c <= w; c += kDiagonalStep) {
        int x1 = std::max(0, c), x2 = std::min(w, c + h);
        visit(Line{x1, x1 - c, x2, x2 - c});
    }
}

// A text that one line read is looked for on lines beside it, a few pixels
// off on either side: a symbol crossed by a single line of the sweep (a
// short one, or one whose bars are sharp only in a band) is still seen
// twice, by lines that sample other pixels.
void ConfirmOnNeighbours(ScannerInstance* instance, Laser* forward, Laser* backward, Sighting& s) {
    const Line& l = s.line;
    const bool horizontal = l.y1 == l.y2, vertical = l.x1 == l.x2;
    for (int offset : {-3, -2, 2, 3}) {
        const int dx = horizontal ? 0 : offset, dy = vertical ? 0 : offset;
        bool seen = false;
        ReadLine(instance, forward, backward, Line{l.x1 + dx, l.y1 + dy, l.x2 + dx, l.y2 + dy},
                 [&](const Laser* laser, const Line&) {
                     seen = seen || (laser->symbology == s.symbology && laser->text == s.text);
                 });
        if (seen) {
            ++s.lines;
            return;
        }
    }
}

bool InFrame(int x, int y) {
    return x >= 0 && x < kFrameWidth && y >= 0 && y < kFrameHeight;
}

// Whether the line moved by (dx, dy) reads the text; true when a row or
// column moved so lies outside the frame, which then cuts the bars there.
// Other lines are clipped to the frame.
bool ReadMoved(ScannerInstance* instance, Laser* forward, Laser* backward, const Line& l, int dx,
               int dy, OSType symbology, const Str255& text) {
    const Line moved{l.x1 + dx, l.y1 + dy, l.x2 + dx, l.y2 + dy};
    const bool straight = l.x1 == l.x2 || l.y1 == l.y2;
    if (straight && !InFrame(moved.x1, moved.y1) && !InFrame(moved.x2, moved.y2)) return true;
    bool seen = false;
    ReadLine(instance, forward, backward, moved, [&](const Laser* laser, const Line&) {
        seen = seen || (laser->symbology == symbology && laser->text == text);
    });
    return seen;
}

// Whether a line `offset` pixels beside the sighting's first line (across
// it) reads the same text, or leaves the frame there.
bool ReadBeside(ScannerInstance* instance, Laser* forward, Laser* backward, const Sighting& s,
                int offset) {
    const Line& l = s.line;
    const bool horizontal = l.y1 == l.y2, vertical = l.x1 == l.x2;
    const int dx = horizontal ? 0 : offset, dy = vertical ? 0 : offset;
    return ReadMoved(instance, forward, backward, l, dx, dy, s.symbology, s.text);
}

// UPC-E and EAN-8 are as long as half an EAN-13, and a line that crosses an
// EAN-13's bars slantwise and leaves them through their ends sees such a
// half with real space after it, as do the lines just beside it. A symbol
// without a check digit, crossed that way, shows its last characters as a
// shorter symbol when a damaged bar there spells a start character. Such
// reads count only when lines kCrossingMargin pixels to either side of the
// first read them too, or the frame's edge cuts it there: its bars then
// reach across the line. Two lines of the sweep itself (a full spacing
// apart, or read on different frames) are evidence enough: a line a
// spacing over leaves the bar ends modules further along, and sees other
// characters.
bool NeedsCrossing(OSType symbology) {
    return symbology == kSymbologyUPCE || symbology == kSymbologyEAN8 ||
           !SymbologyHasChecksum(symbology);
}

bool CrossedWithMargin(ScannerInstance* instance, Laser* forward, Laser* backward, Sighting& s) {
    if (!NeedsCrossing(s.symbology)) return true;
    if (!s.crossed && s.sweepLines < 2)
        s.crossed = ReadBeside(instance, forward, backward, s, -kCrossingMargin) &&
                    ReadBeside(instance, forward, backward, s, kCrossingMargin);
    return s.crossed || s.sweepLines >= 2;
}

bool LacksAddOn(const Sighting& s) {
    return (s.symbology == kSymbologyEAN13 || s.symbology == kSymbologyUPCA) &&
           s.text.View().find(' ') == std::string_view::npos;
}

// The sighting to deliver: one that enough lines read, an EAN/UPC with its
// add-on rather than without it when add-ons are wanted. Short symbols
// must reach across their line first.
const Sighting* Choose(ScannerInstance* instance, Sightings& sightings, Laser* forward,
                       Laser* backward) {
    for (int i = 0; i < sightings.count; ++i) {
        Sighting& s = sightings.list[std::size_t(i)];
        if (s.lines >= kConfirmingLines && !CrossedWithMargin(instance, forward, backward, s))
            s.lines = 0;
    }
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
    for (Laser*& laser : instance->sweepLasers)
        if (!laser) laser = NewLaser(instance, -1, 0, 0, 0, 0);
    Laser* forward = instance->sweepLasers[0];
    Laser* backward = instance->sweepLasers[1];
    Laser* read = instance->sweepLasers[2];
    if (!forward || !backward || !read) return;

    Sightings sightings;
    int index = 0;
    ForEachLine([&](const Line& line) {
        ++index;
        ReadLine(instance, forward, backward, line,
                 [&](const Laser* laser, const Line& way) { sightings.Add(laser, index, way); });
    });
    for (int i = 0; i < sightings.count; ++i)
        if (sightings.list[std::size_t(i)].lines < kConfirmingLines)
            ConfirmOnNeighbours(instance, forward, backward, sightings.list[std::size_t(i)]);

    const Sighting* chosen = Choose(instance, sightings, forward, backward);
    if (!chosen) return;
    SetLaserPosition(instance, read, chosen->line.x1, chosen->line.y1, chosen->line.x2,
                     chosen->line.y2);
    read->text = chosen->text;
    read->symbology = chosen->symbology;
    ScanSuccessful(instance, read);
}

namespace {

// Lines of the sweep read on one live frame: every kSweepSlices-th, so a
// turn of the slices (a third of a second) covers the whole picture.
constexpr int kSweepSlices = 10;

} // namespace

void SweepFrameSlice(ScannerInstance* instance) {
    if (!instance->tryHarder || instance->acceptedLaser || !instance->frameBase) return;
    for (Laser*& laser : instance->sweepLasers)
        if (!laser) laser = NewLaser(instance, -1, 0, 0, 0, 0);
    if (!instance->liveSightings) instance->liveSightings = new (std::nothrow) Sightings{};
    Laser* forward = instance->sweepLasers[0];
    Laser* backward = instance->sweepLasers[1];
    Laser* read = instance->sweepLasers[2];
    Sightings* sightings = instance->liveSightings;
    if (!forward || !backward || !read || !sightings) return;

    const Ticks now = TickCount();
    sightings->Expire(now - kConfirmWindowTicks);
    const int slice = int(sightings->slice++ % kSweepSlices);
    int index = 0;
    ForEachLine([&](const Line& line) {
        if (++index % kSweepSlices != slice) return;
        ReadLine(instance, forward, backward, line, [&](const Laser* laser, const Line& way) {
            sightings->Add(laser, index, way, now);
        });
    });
    for (int i = 0; i < sightings->count; ++i) {
        Sighting& s = sightings->list[std::size_t(i)];
        if (s.lines >= kConfirmingLines || s.neighbours) continue;
        s.neighbours = true;
        ConfirmOnNeighbours(instance, forward, backward, s);
    }

    const Sighting* chosen = Choose(instance, *sightings, forward, backward);
    if (!chosen) return;
    // With add-ons wanted, a symbol without one waits a turn of the slices
    // for a line that reads its add-on too.
    if (instance->supplementMode != kSupplementIgnore && LacksAddOn(*chosen) &&
        std::int32_t(now - chosen->tick) < kSweepSlices * 2)
        return;
    SetLaserPosition(instance, read, chosen->line.x1, chosen->line.y1, chosen->line.x2,
                     chosen->line.y2);
    read->text = chosen->text;
    read->symbology = chosen->symbology;
    sightings->count = 0;
    ScanSuccessful(instance, read);
}
