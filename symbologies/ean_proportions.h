// Proportions that every printed EAN/UPC symbol keeps under blur and ink
// spread: each digit is 7 modules wide, a guard bar's leading edge lies 2
// modules before the next one's, and the quiet zones are several modules
// wide, a module being measured over all of the digits together. Guards and
// quiet zones alone are tested only against neighbouring bars, which lets a
// run of digits that starts or ends in the wrong place (inside another
// symbol, a symbol read backwards, a laser that enters the bars from their
// side) pass as a symbol.
#pragma once

#include "symbologies/approx.h"
#include "symbologies/laser_record.h"
#include "symbologies/reading_rules.h"

#include <cstdlib>
#include <span>

namespace ean {

constexpr double kMinQuietModules = 6.0;  // the standard asks for 7 or more
constexpr double kDigitWidthRatio = 0.85; // a digit against 7 average modules

// Read harder, the same proportions are measured locally, since under
// perspective or on a curved packet the module grows steadily from one end
// of the symbol to the other: each digit against its neighbours, each guard
// against the digit beside it, each quiet zone against the module of the
// digit nearest to it (the frame's border serving as one).
inline bool LocalProportionsFit(const Laser* laser, std::span<const int> digitStarts,
                                std::span<const int> guardBars, int leadingQuiet,
                                int trailingQuiet) {
    const Element* e = laser->elements;
    auto width = [e](int i) { return e[i + 4].start - e[i].start; };
    const std::size_t n = digitStarts.size();
    for (std::size_t d = 0; d < n; ++d) {
        double sum = 0.0;
        int neighbours = 0;
        if (d > 0) sum += width(digitStarts[d - 1]), ++neighbours;
        if (d + 1 < n) sum += width(digitStarts[d + 1]), ++neighbours;
        double digit = sum / neighbours, w = width(digitStarts[d]);
        if (w < kDigitWidthRatio * digit || kDigitWidthRatio * w > digit) return false;
    }
    for (int g : guardBars) {
        // The digit nearest to the guard gives the module.
        int nearest = digitStarts[0];
        for (int i : digitStarts)
            if (std::abs(i - g) < std::abs(nearest - g)) nearest = i;
        if (!Approx(e[g + 2].start - e[g].start, 2.0 * width(nearest) / 7.0)) return false;
    }
    return IsQuietZone(laser, leadingQuiet, kMinQuietModules * width(digitStarts.front()) / 7.0) &&
           IsQuietZone(laser, trailingQuiet, kMinQuietModules * width(digitStarts.back()) / 7.0);
}

// digitStarts: the first entry of each digit; guardBars: the guard bars
// followed by another guard bar two entries on; quiet zones by entry.
inline bool ProportionsFit(const Laser* laser, std::span<const int> digitStarts,
                           std::span<const int> guardBars, int leadingQuiet, int trailingQuiet) {
    if (laser->rules != kRulesPrinted)
        return LocalProportionsFit(laser, digitStarts, guardBars, leadingQuiet, trailingQuiet);
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
