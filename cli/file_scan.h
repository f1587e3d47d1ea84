// Scans one file with the engine as the live loop runs it: one VideoScan per
// frame, the tick clock advancing 2 ticks a frame (30 frames a second).
#pragma once

#include "cli/options.h"
#include "cli/read_output.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

constexpr unsigned kTicksPerFrame = 2;
// A still image is shown for one full turn of the laser patterns.
constexpr int kStillImageFrames = 10;

struct ScannerInstance;
// The command line's symbology switches and add-on mode, with the beep off.
void ApplyOptions(ScannerInstance* instance, const ScanOptions& options);

using ReadCallback = std::function<void(const ScanRead&)>;

// Calls onRead for every accepted read, as it happens. False when the file
// could not be opened or decoded, with the reason in error and the
// decoding library's own words, if any, in detail; reads of frames before
// a failure have been reported all the same. True with error set when the
// file was scanned despite a fault ("the file is incomplete; ...").
bool ScanFile(const std::string& path, const ScanOptions& options, const ReadCallback& onRead,
              std::string& error, std::string* detail = nullptr);

// Scans one still picture, 640x480 words 0xAARRGGBB, with a fresh scanner
// instance exactly as ScanFile scans a still image file. False when the
// scanner could not be made.
bool ScanStillPicture(std::span<const std::uint32_t> pixels, const ScanOptions& options,
                      const ReadCallback& onRead);

// Writes the next 640x480 frame into its argument; false at the end.
using FrameSource = std::function<bool(std::span<std::uint32_t>)>;

// Scans frames from next as ScanFile scans the frames of a video.
bool ScanFrames(const FrameSource& next, const ScanOptions& options, const ReadCallback& onRead);
