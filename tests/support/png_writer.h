// Saves test frames as PNG files so that a developer can look at what the
// scanner was shown (uncompressed deflate blocks: large files, no zlib).
#pragma once

#include "tests/support/frame.h"

#include <string>

// Writes the frame as an 8-bit RGB PNG; false when the file cannot be written.
bool WritePng(const Frame& frame, const std::string& path);
