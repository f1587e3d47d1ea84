// What the decoders relax when a laser is read harder: a run that touches
// the laser's end at the frame's border serves as a quiet zone, since a
// symbol cropped there or held close to the camera has none in the picture.
#pragma once

#include "symbologies/laser_record.h"

// True when entry k, a space, is a quiet zone of at least `needed` samples,
// or the laser is read harder and k is its first or last entry.
inline bool IsQuietZone(const Laser* laser, int k, double needed) {
    const Element& e = laser->elements[k];
    if (e.width >= needed) return true;
    return laser->rules != kRulesPrinted && !e.isBar && (k == 0 || k == laser->elementCount - 1);
}

inline bool ReadHarder(const Laser* laser) {
    return laser->rules != kRulesPrinted;
}
