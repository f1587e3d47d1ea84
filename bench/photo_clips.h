// Photographs made into webcam-like clips for the photo benchmark: the
// 640x480 frame of a still moved by a hand's jitter from frame to frame,
// its gain drifting, sensor noise added, then written as a Motion-JPEG AVI
// at 30 frames a second, as a webcam delivers it. The clip's frames are
// read back through GStreamer, so every reader sees the JPEG's artefacts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

struct ClipLook {
    int frames = 20;        // 0.67 s
    double maxJitter = 1.5; // pixels either way, sub-pixel, drawn anew each frame
    double maxGain = 0.07;  // the picture's gain within 1 +- this
    double noiseSigma = 5;  // grey levels on each channel
    std::uint32_t seed = 7; // the same photograph gives the same clip
    bool decodeBack = true; // false: only the file is written (Clip::frames stays empty)
};

struct Clip {
    std::filesystem::path file;                     // the AVI
    std::vector<std::vector<std::uint32_t>> frames; // its frames as decoded back
};

// Writes the clip of still (640x480 words) to file; false with the reason
// in error.
bool MakeClip(std::span<const std::uint32_t> still, const ClipLook& look,
              const std::filesystem::path& file, Clip& clip, std::string& error);
