// Lasers: virtual scan lines across the 640x480 frame (the record, with its
// run table, is symbologies/laser_record.h), and the ten starburst patterns
// of 37 lasers that the scanner turns through.
#pragma once

#include "symbologies/laser_record.h"

#include <cstdint>

struct ScannerInstance;

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;
constexpr int kPatternCount = 10;

// Allocates a laser with an empty run table; listIndex -1 leaves it in no list. Null when
// memory is short.
Laser* NewLaser(ScannerInstance* instance, std::int32_t listIndex, std::int32_t x1, std::int32_t y1,
                std::int32_t x2, std::int32_t y2);

// Clamps the end points to the frame and derives step and sample count.
void SetLaserPosition(ScannerInstance* instance, Laser* laser, std::int32_t x1, std::int32_t y1,
                      std::int32_t x2, std::int32_t y2);

// Appends a laser to pattern list i; a null laser is ignored.
void AddItem(ScannerInstance* instance, std::int32_t listIndex, Laser* laser);

// Builds one starburst of lasers through the frame's centre turned by
// -listIndex degrees; returns the last laser created.
Laser* NewStarburstLaserPattern(ScannerInstance* instance, double centreOffsetX,
                                double centreOffsetY, std::int32_t count, std::int32_t listIndex);
