// Run tables for decoder tests: libzint's symbols as run widths in
// modules, changed where a case needs what no encoder draws, loaded into a
// laser as the sensor analysis would leave them.
#pragma once

#include "engine/laser.h"
#include "tests/support/render_barcode.h"
#include "toolbox/fourcc.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A zero-filled laser on the heap (it holds a 656-entry table).
inline std::unique_ptr<Laser> MakeLaser() {
    return std::make_unique<Laser>();
}

// Loads widths into the laser's run table, starting at 0.0 with a space,
// alternating from there.
void LoadRuns(Laser& laser, std::span<const double> widths);

std::vector<double> Scaled(std::span<const double> modules, double samplesPerModule);

// libzint's symbol in modules: the leading quiet zone (a space), bar,
// space, ..., bar, then the trailing quiet zone (left out when 0).
std::vector<double> ZintRuns(int symbology, std::string_view data, double leadingQuiet,
                             double trailingQuiet, const EncodeOptions& options = {});

// Runs a decoder over a laser loaded with the modules, scaled: its text,
// the symbology checked, or nullopt when it reads nothing.
std::optional<std::string> DecodeModules(bool (*decode)(Laser*), OSType symbology,
                                         std::span<const double> modules, double samplesPerModule);
