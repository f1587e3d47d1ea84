// Where a still picture's bytes end, told from the format's own structure
// as the bytes arrive (GIF blocks, JPEG markers, PNG chunks, the RIFF size
// of WebP): nothing after that point belongs to the picture, so the
// decoder is fed no further, and a file that stops before it is incomplete.
#pragma once

#include "video/still_format.h"

#include <cstddef>
#include <cstdint>
#include <span>

class StillEndFinder {
  public:
    explicit StillEndFinder(const StillFormat& format);

    // Takes the next bytes of the file; returns how many of them belong to
    // the picture (all of them until its end or a break is found).
    std::size_t Take(std::span<const std::byte> bytes);

    bool Tracks() const { return kind_ != Kind::kNone; } // the format's end can be told
    bool Ended() const { return state_ == State::kEnded; }
    // The structure broke: what follows is no part of a picture.
    bool Broken() const { return state_ == State::kBroken; }
    int Pictures() const { return pictures_; } // GIF: the pictures of an animation seen so far

  private:
    enum class Kind { kNone, kGif, kJpeg, kPng, kWebP };
    enum class State {
        kHeader,   // the fixed part at the start
        kSkip,     // skipping counted bytes, then back to next_
        kBlock,    // GIF: a block introducer; JPEG: a marker's 0xFF
        kLabel,    // GIF: an extension's label; JPEG: the marker code
        kSubBlock, // GIF: a sub-block's size byte
        kImage,    // GIF: an image descriptor's 9 bytes, then LZW code size
        kLength,   // JPEG, PNG: a segment's or chunk's length bytes
        kEntropy,  // JPEG: scan data, up to the next marker
        kEnded,
        kBroken,
    };
    void Step(std::uint8_t byte);
    void Skip(std::uint64_t count, State then);

    Kind kind_ = Kind::kNone;
    State state_ = State::kHeader;
    State next_ = State::kHeader; // after kSkip
    std::uint64_t offset_ = 0;    // bytes taken so far
    std::uint64_t skip_ = 0;      // bytes still to skip
    int count_ = 0;               // bytes of the current fixed field read
    std::uint8_t field_[16] = {}; // the current fixed field
    std::uint64_t garbage_ = 0;   // JPEG: bytes between segments that are no marker
    bool afterScan_ = false;      // JPEG: the segment being skipped is a scan header
    bool lastChunk_ = false;      // PNG: the chunk being skipped is IEND
    int pictures_ = 0;
};
