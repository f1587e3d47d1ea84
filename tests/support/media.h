// Test pictures and videos written by GStreamer's own encoders, an independent
// writer, so that a developer can also look at what the scanner was shown.
#pragma once

#include "tests/support/frame.h"

#include <functional>
#include <string>

// Writes the frames (all of one size; frameAt(i) gives frame i) at 30 a
// second through the encoder for the path's extension: one PNG, JPEG, WebP
// or Targa picture, or a video, H.264 in MP4 as a phone makes it or Motion-JPEG in
// AVI. Empty on success, else GStreamer's message.
std::string Encode(const std::string& path, int frameCount,
                   const std::function<const Frame&(int)>& frameAt);

inline std::string EncodePicture(const Frame& picture, const std::string& path) {
    return Encode(path, 1, [&](int) -> const Frame& { return picture; });
}
