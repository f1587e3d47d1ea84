// The added reading of the 'hard' setting, for lasers whose first run table
// decodes nothing: the same table read with the frame's border as a quiet
// zone and the proportions measured locally, then the run tables of two
// further analyses. Its reads must be confirmed like those without a check
// digit.
#pragma once

#include "engine/laser.h"

struct ScannerInstance;

// A first run table with fewer runs than the shortest symbol's crosses no
// symbol worth a second look (blur merges runs, but not that many).
constexpr int kMinRunsForSecondLook = 20;

// Which analyses give a laser's second look: on a live frame each laser
// takes one of the two, the other on the next turn of the patterns, so that
// a frame costs one analysis more per laser, not two.
enum class SecondLook { kBoth, kMean, kEdges };

// The mean threshold's run table of the laser, and the rules to read it by:
// kRulesSecondLook, or on a laser whose samples step by more than the
// threshold's floor (a noisy frame) the table with the floor raised to that
// step, and kRulesNoisyLook.
ReadingRules AnalyzeMeanLook(Laser* laser, const int* samples, int n);

// True when the laser decoded; its rules then tell which reading read it.
// The laser's run table is left as the last analysis wrote it. Reads the
// samples that AnalyzeSensor took of this frame; the second look reads them
// averaged with the same laser's samples of the last frames (frame_history.h),
// and leaves them so.
bool ReadLaserHarder(ScannerInstance* instance, Laser* laser, SecondLook look = SecondLook::kBoth);

// Whether the laser's read of the harder reading reaches across its line:
// for a symbology without a check digit, lines kCrossingMargin pixels to
// either side of the laser read the same text too, read harder the same
// way. A line that enters a symbol through its bars' ends sees only its
// last characters; where a damaged bar spells a start character there,
// they read as a shorter symbol, and the lines beside it do not.
constexpr int kCrossingMargin = 4;
bool ReachesAcross(ScannerInstance* instance, const Laser* read, SecondLook look);
