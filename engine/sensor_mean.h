// Second analysis of a laser: a threshold at the local mean. The first
// analysis thresholds at the middle of the extremes of 65 samples, where
// blur keeps a narrow space between two wide bars darker than that middle
// and loses it; against the mean of the 9 samples around it, the space is
// still lighter than its surroundings.
#pragma once

struct Laser;

// The distance from the mean beyond which a sample changes the run: 3 grey
// levels of 255.
constexpr int kMeanNoiseFloor = 12;

// Rebuilds the laser's run table from n samples that SampleLaser took for
// it, with a sample's distance from the mean counting beyond noiseFloor.
void AnalyzeSamplesMean(Laser* laser, const int* samples, int n, int noiseFloor = kMeanNoiseFloor);
