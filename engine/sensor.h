// Sensor analysis: a laser's samples of the frame turned into its run table
// of bars and spaces.
#pragma once

#include <cstddef>
#include <cstdint>

struct ScannerInstance;
struct Laser;

// Samples the frame along the laser (keeping the samples in it for further
// analyses of the same frame) and rebuilds its run table.
void AnalyzeSensor(const ScannerInstance* instance, Laser* laser);

// Luminance (red + 2 green + blue, 0..1020) of the laser's samples into
// samples, which has room for kMaxElements; returns how many were taken.
int SampleLaser(const ScannerInstance* instance, const Laser* laser, int* samples);

// The same samples of a plane of luminance bytes (red + 2 green + blue, over
// kLuminanceScale), on the same 0..1020 scale.
constexpr int kLuminanceScale = 4;
int SampleLuminance(const std::uint8_t* plane, std::ptrdiff_t rowBytes, const Laser* laser,
                    int* samples);
