// Proportions that every printed EAN/UPC symbol keeps under blur and ink
// spread: each digit is 7 modules wide, a guard bar's leading edge lies 2
// modules before the next one's, and the quiet zones are several modules
// wide, a module being measured over all of the digits together. Guards and
// quiet zones alone are tested only against neighbouring bars, which lets a
// run of digits that starts or ends in the wrong place (inside another
// symbol, a symbol read backwards, a laser that enters the bars from their
// side) pass as a symbol.
#pragma once

#include "engine/laser.h"
#include "engine/sensor.h"

#include <span>

namespace ean {

constexpr double kMinQuietModules = 6.0;  // the standard asks for 7 or more
constexpr double kDigitWidthRatio = 0.85; // a digit against 7 average modules

// digitStarts: the first entry of each digit; guardBars: the guard bars
// followed by another guard bar two entries on; quiet zones by entry.
inline bool ProportionsFit(const Laser* laser, std::span<const int> digitStarts,
                           std::span<const int> guardBars, int leadingQuiet, int trailingQuiet) {
    const Element* e = laser->elements;
    double total = 0.0;
    for (int i : digitStarts) total += e[i + 4].start - e[i].start;
    double digit = total / double(digitStarts.size());
    for (int i : digitStarts) {
        double width = e[i + 4].start - e[i].start;
        if (width < kDigitWidthRatio * digit || kDigitWidthRatio * width > digit) return false;
    }
    double module = digit / 7.0;
    for (int g : guardBars)
        if (!Approx(e[g + 2].start - e[g].start, 2.0 * module)) return false;
    return e[leadingQuiet].width >= kMinQuietModules * module &&
           e[trailingQuiet].width >= kMinQuietModules * module;
}

} // namespace ean
