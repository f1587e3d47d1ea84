// What the whole-frame sweep's lines have read: on one picture, and across
// live frames, where the instance keeps it (liveSightings, released with the
// instance) until a read is accepted.
#pragma once

#include "symbologies/laser_record.h"
#include "toolbox/fourcc.h"
#include "toolbox/str255.h"
#include "toolbox/ticks.h"

#include <array>
#include <cstdint>

namespace sweep {

constexpr int kMaxSightings = 32;

struct Line {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct Sighting {
    Str255 text;
    OSType symbology = 0;
    int lines = 0;           // distinct lines that read it
    int lastLine = -1;       // the last of them
    Line line;               // the first line that read it, in its reading direction
    Ticks tick = 0;          // when it was first read
    bool neighbours = false; // the lines beside the first have been read
    bool crossed = false;    // a short symbol: lines on both sides of the first read it
    int sweepLines = 1;      // lines of the sweep itself that read it, not those beside
};

} // namespace sweep

struct Sightings {
    std::array<sweep::Sighting, sweep::kMaxSightings> list;
    int count = 0;
    std::uint32_t slice = 0; // live frames: the slice of the sweep read next

    void Add(const Laser* laser, int index, const sweep::Line& line, Ticks now = 0) {
        for (int i = 0; i < count; ++i) {
            sweep::Sighting& s = list[std::size_t(i)];
            if (s.symbology == laser->symbology && s.text == laser->text) {
                // The same line on another frame samples nearly the same
                // pixels: only another line is independent evidence.
                if (s.lastLine != index) ++s.lines, ++s.sweepLines, s.lastLine = index;
                return;
            }
        }
        if (count == sweep::kMaxSightings) return;
        list[std::size_t(count++)] = {
            laser->text, laser->symbology, 1, index, line, now, false, false, 1};
    }

    // Drops what was first read before `since`: the code has moved away or
    // another is shown.
    void Expire(Ticks since) {
        int kept = 0;
        for (int i = 0; i < count; ++i)
            if (std::int32_t(list[std::size_t(i)].tick - since) >= 0)
                list[std::size_t(kept++)] = list[std::size_t(i)];
        count = kept;
    }
};

// Forgets what the live frames' lines have read (null: nothing kept yet).
inline void ClearSweepSightings(Sightings* sightings) {
    if (sightings) sightings->count = 0;
}
