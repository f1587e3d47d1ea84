// Third analysis of a laser: edges at the peaks of the luminance's
// derivative, placed to a fraction of a sample, with a noise floor below
// which no peak counts. It needs no threshold level at all, so it keeps
// edges that blur and uneven light hide from both thresholds.
#pragma once

struct ScannerInstance;
struct Laser;

void AnalyzeSensorEdges(const ScannerInstance* instance, Laser* laser);
