// The added reading of the 'hard' setting, for lasers whose first run table
// decodes nothing: the same table read with the frame's border as a quiet
// zone and the proportions measured locally, then the run tables of two
// further analyses. Its reads must be confirmed like those without a check
// digit.
#pragma once

struct ScannerInstance;
struct Laser;

// True when the laser decoded; its rules then tell which reading read it.
// The laser's run table is left as the last analysis wrote it.
bool ReadLaserHarder(ScannerInstance* instance, Laser* laser);
