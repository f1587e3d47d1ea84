// Sensor analysis: a laser's samples of the frame turned into its run table
// of bars and spaces, and the width comparisons that the decoders share.
#pragma once

struct ScannerInstance;
struct Laser;

// Samples the frame along the laser (keeping the samples in it for further
// analyses of the same frame) and rebuilds its run table.
void AnalyzeSensor(const ScannerInstance* instance, Laser* laser);

// Luminance (red + 2 green + blue, 0..1020) of the laser's samples into
// samples, which has room for kMaxElements; returns how many were taken.
int SampleLaser(const ScannerInstance* instance, const Laser* laser, int* samples);

// True when the smaller of a and b is at least 0.75 of the larger.
inline bool Approx(double a, double b) {
    if (a > b) return !(b / a < 0.75);
    if (b > a) return !(a / b < 0.75);
    return true;
}
// The smaller divided by the larger, 1.0 for equal values.
inline double ApproxScore(double a, double b) {
    if (a > b) return b / a;
    if (b > a) return a / b;
    return 1.0;
}
