// Third analysis of a laser: edges at the peaks of the luminance's
// derivative, placed to a fraction of a sample, with a noise floor below
// which no peak counts. It needs no threshold level at all, so it keeps
// edges that blur and uneven light hide from both thresholds.
#pragma once

struct Laser;

// Rebuilds the laser's run table from n samples that SampleLaser took for it.
void AnalyzeSamplesEdges(Laser* laser, const int* samples, int n);
