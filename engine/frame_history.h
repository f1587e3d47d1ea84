// The reading's memory of the frames before the current one. A webcam's
// frames carry sensor noise and the JPEG's artefacts anew each frame, while
// a code held up to it stays nearly in place: the samples along an aimed
// laser on the last few frames, each aligned to the current frame's along
// the laser (a hand's jitter moves the code by a pixel or two between
// frames), are averaged for the harder reading's second look, which halves
// the noise over four frames. A frame whose samples match the current one's
// at no offset (the code moved, another came into view) is left out of the
// average, and all are forgotten when a read is accepted, so that nothing
// of one code reaches the reading of the next. A still image shown for
// several frames is remembered once and not averaged with itself.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct Laser;
struct ScannerInstance;

struct FrameHistory {
    static constexpr int kFrames = 3; // averaged with the current frame: four in all
    std::array<std::vector<std::uint8_t>, kFrames> frames; // their 640x480 luminance planes
    int count = 0;                                         // how many hold a frame
    int newest = 0;                                        // index of the last one remembered
    bool newestIsCurrent = false; // the newest is the frame being read (not averaged again)
};

// Keeps a copy of the frame in the frame buffer as the newest of the history
// (the oldest is dropped). Call after the frame has been scanned and before
// anything is drawn into it.
void RememberFrame(ScannerInstance* instance);

// A new frame is in the frame buffer: the newest remembered one is a frame
// before it again.
void NewFrameArrived(ScannerInstance* instance);

// Drops every remembered frame.
void ForgetFrames(ScannerInstance* instance);

// Replaces the n samples of the laser taken on the current frame by their
// average with the same laser's samples on the remembered frames that match
// them, each aligned to them along the laser first. Returns how many frames
// went into the average (1 when none matched or none is remembered).
int AverageOverFrames(const ScannerInstance* instance, const Laser* laser, int* samples, int n);
