// The frame buffer of the live scanner: 640x480 words 0xAARRGGBB that
// Cairo draws on (as RGB24) and the view shows, with one drawing context
// kept for its whole life so that per-frame drawing allocates nothing.
#pragma once

#include "engine/laser.h"
#include "video/cairo_ptr.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

struct FrameWorld {
    std::vector<std::uint32_t> pixels;     // kFrameHeight rows of kFrameWidth words
    cairo::SurfacePtr surface;             // over pixels
    cairo::ContextPtr cr;                  // drawing context over surface
    std::array<cairo_glyph_t, 256> glyphs; // scratch for the confirmation's text
};

constexpr int kFrameStride = kFrameWidth * 4; // bytes from one row to the next

// Fills the frame with the no-camera picture: black, with the "NO_CAMERA"
// text in white, centred on one line.
void VideoPaintNoCameraPicture(FrameWorld& world);

// The instance's frame as pixels; empty when it has no frame world.
std::span<std::uint32_t> FramePixels(const FrameWorld* world);
