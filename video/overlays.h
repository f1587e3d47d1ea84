// The overlay geometry that the drawing and its tests share.
#pragma once

#include "toolbox/ticks.h"

#include <cstdint>
#include <span>
#include <string_view>

constexpr double kTargetX = 320.0, kTargetY = 240.0;
constexpr double kRingRadius = 20.0, kDotRadius = 8.0, kOverlayLineWidth = 3.0;
constexpr double kConfirmMaxTextWidth = 556.0;
constexpr double kConfirmFirstSize = 48.0, kConfirmSizeStep = 10.0;
// A text still too wide at this size is drawn at it all the same.
constexpr double kConfirmSmallestSize = 8.0;
constexpr const char* kConfirmFont = "Lucida Grande";

// Opacity of the confirmation elapsed ticks after its acceptance: 1 for the
// first 60 ticks, then along a cosine to 0 at 90, and 0 from there.
double ConfirmationOpacity(std::int32_t elapsed);

// The read's text as UTF-8 into out, zero-terminated: its UTF-8 sequences
// as they are, any other byte taken as Mac Roman; out must hold at least 3
// bytes a byte of text plus one.
void MacRomanToUtf8(std::string_view text, std::span<char> out);
