// What the decoders relax when a laser is read harder: a run that touches
// the laser's end at the frame's border serves as a quiet zone, since a
// symbol cropped there or held close to the camera has none in the picture.
#pragma once

#include "symbologies/laser_record.h"

// True when the laser is read harder and entry k, a space, is its first or
// last entry: it ends at the frame's border, which serves as a quiet zone.
inline bool IsQuietAtBorder(const Laser* laser, int k) {
    const Element& e = laser->elements[k];
    return laser->rules != kRulesPrinted && !e.isBar && (k == 0 || k == laser->elementCount - 1);
}

// True when entry k, a space, is a quiet zone of at least `needed` samples,
// or a quiet zone at the frame's border (IsQuietAtBorder).
inline bool IsQuietZone(const Laser* laser, int k, double needed) {
    return laser->elements[k].width >= needed || IsQuietAtBorder(laser, k);
}

inline bool ReadHarder(const Laser* laser) {
    return laser->rules != kRulesPrinted;
}
