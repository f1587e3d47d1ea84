// Lines of printed text for the frames without a barcode. The glyphs are
// libzint's own human-readable-text font, taken from the text it prints
// under a symbol, so the strokes are those of a real typeface.
#pragma once

#include "tests/support/frame.h"

#include <string_view>

// One line of text as ink coverage (1 = ink), one font pixel per pixel; an
// empty image when libzint cannot print the text.
GrayImage TextLineGlyphs(std::string_view text);

struct TextPlacement {
    double x = 0, y = 0;     // frame point of the line's top-left corner
    double scale = 2;        // frame pixels per font pixel
    double angleDegrees = 0; // counter-clockwise
    double ink = 0.85;       // darkness of the strokes, 1 = black
};

// Darkens the scene with the line's glyphs (bilinear, so scaled text is
// smooth at its edges).
void DrawTextLine(GrayImage& scene, const GrayImage& glyphs, const TextPlacement& where);
