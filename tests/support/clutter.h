// Frames without a barcode: what the camera sees when no symbol is in view
// (sensor noise, stripes, printed text). The scene is made once and each
// frame adds fresh sensor noise, as live video does.
#pragma once

#include "tests/support/frame.h"

#include <cstdint>

enum class ClutterKind {
    Noise,          // flat grey under heavy sensor noise
    RegularStripes, // square-wave or sine stripes of one period
    RandomStripes,  // parallel stripes of random widths (blinds, wood, shelves)
    Text,           // a printed page
};

constexpr ClutterKind kAllClutterKinds[] = {ClutterKind::Noise, ClutterKind::RegularStripes,
                                            ClutterKind::RandomStripes, ClutterKind::Text};

const char* ClutterName(ClutterKind kind);

struct ClutterScene {
    GrayImage scene;       // lit and blurred, before sensor noise
    double noiseSigma = 2; // sensor noise that suits the scene, grey levels
};

ClutterScene MakeClutterScene(ClutterKind kind, std::uint64_t seed);

// One frame of the scene with its own draw of sensor noise.
Frame ClutterFrame(const ClutterScene& scene, std::uint64_t frameSeed);
