// Hand-built run tables for decoder tests: a laser whose elements are the
// given widths, alternating space and bar from the first (a space) on.
#pragma once

#include "engine/laser.h"
#include "toolbox/fourcc.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

// A zero-filled laser on the heap (it holds a 656-entry table).
std::unique_ptr<Laser> MakeLaser();

// Loads widths into the laser's run table, starting at 0.0 with a space
// (or a bar when firstIsBar), alternating from there.
void LoadRuns(Laser& laser, std::span<const double> widths, bool firstIsBar = false);
void LoadRuns(Laser& laser, std::initializer_list<double> widths, bool firstIsBar = false);

// Module widths scaled by a number of samples per module.
std::vector<double> Scaled(std::span<const double> modules, double samplesPerModule);

// Runs a decoder over a laser loaded with the widths: its text, the
// symbology checked, or nullopt when it reads nothing.
std::optional<std::string> DecodeText(bool (*decode)(Laser*), OSType symbology,
                                      std::span<const double> widths);

// Module widths in samples, every inner edge moved by up to +-jitter modules.
std::vector<double> Jittered(const std::vector<double>& modules, double samplesPerModule,
                             double jitter, std::mt19937& rng);

// The seed of a random test: KESTRIX_TEST_SEED when set, to replay a run,
// else the given one.
unsigned TestSeed(unsigned fallback);

// The reverse of a run table: a symbol read from the other side.
std::vector<double> Reversed(std::span<const double> widths);
