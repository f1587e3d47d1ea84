// Saves test frames as PNG files, through Cairo, so that a developer can
// look at what the scanner was shown.
#pragma once

#include "tests/support/frame.h"

#include <string>

// Writes the frame as a 24-bit RGB PNG; false when the file cannot be written.
bool WritePng(const Frame& frame, const std::string& path);
