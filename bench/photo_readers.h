// The readers that the photo benchmark compares, each behind one function
// over a 640x480 frame of 0xAARRGGBB words, and the scoring of a read
// against a photograph's label.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// One read, in the labels' form: EAN and UPC as 13 digits (UPC-E expanded),
// EAN-8 as 8, with any add-on apart.
struct PhotoRead {
    std::string symbology; // the reader's own name for it
    std::string main;
    std::string addOn;
    bool caseless = false; // Codabar: start and stop letters in either case
};

struct PhotoReader {
    std::string name;
    std::function<std::vector<PhotoRead>(std::span<const std::uint32_t> frame)> read;
};

PhotoReader KestrixReader(bool tryHarder);
// Each photograph as a webcam would show it held still for seconds: jitter
// and sensor noise on every frame, scanned as kestrix-scan scans a video.
PhotoReader KestrixVideoReader(bool tryHarder, int seconds);
// A clip as the camera path reads it: kestrix-scan (the program at
// scanPath) over "filesrc location=CLIP ! decodebin" as a live source, every
// symbology on, add-ons optional; its CPU time is added to cpuSeconds.
std::vector<PhotoRead> ReadClipLive(const std::string& scanPath, const std::string& clipFile,
                                    double& cpuSeconds);
// A clip's frames as kestrix-scan reads a video file: every frame that the
// aimed lasers read nothing from is also swept whole.
std::vector<PhotoRead> ReadClipAsFile(std::span<const std::vector<std::uint32_t>> frames);
// Empty when the benchmark was built without that library.
std::optional<PhotoReader> ZbarReader();
std::optional<PhotoReader> ZxingReader();

// Kinds of symbol, for NormalisedRead.
enum class PhotoKind { kEANUPC, kUPCE, kCode39, kCodabar, kOther };

// Puts a reader's text into the labels' form: the 12 digits of a UPC-A get
// their leading 0, a UPC-E of 6 to 8 digits is expanded, an add-on after a
// space (or given apart) is kept apart.
PhotoRead NormalisedRead(std::string symbology, PhotoKind kind, std::string text,
                         std::string addOn = {});

// True when the read matches the label: in add-on folders the main symbol
// and its add-on together, elsewhere the main symbol alone (an add-on may be
// printed but is not part of the label). Codabar case-insensitively, a
// Code 39 "_" for a space.
bool MatchesLabel(const PhotoRead& read, const std::string& label, bool addOnFolder);

// 8-bit luminance of the frame, (red + 2 green + blue) / 4, for the peers.
std::vector<std::uint8_t> FrameLuminance(std::span<const std::uint32_t> frame);
