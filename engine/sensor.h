// Sensor analysis: a laser's samples of the frame turned into its run table
// of bars and spaces, and the width comparisons that the decoders share.
#pragma once

struct ScannerInstance;
struct Laser;

// Samples the frame along the laser and rebuilds its run table.
void AnalyzeSensor(const ScannerInstance* instance, Laser* laser);

// True when the smaller of a and b is at least 0.75 of the larger.
bool Approx(double a, double b);
// The smaller divided by the larger, 1.0 for equal values.
double ApproxScore(double a, double b);
