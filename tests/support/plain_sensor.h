// The reference sensor analysis: the same run table as AnalyzeSensor, with
// each sample's window extremes found by scanning all 65 samples around it.
// Kept to check the fast analysis against and to measure it by.
#pragma once

struct ScannerInstance;
struct Laser;

void AnalyzeSensorPlain(const ScannerInstance* instance, Laser* laser);
