// Decodes a still picture with GdkPixbuf and stretches it to the 640x480
// frame. GdkPixbuf reads what image viewers read: JPEG in CMYK as well as
// RGB, every BMP depth, TIFF, GIF (an animation picture by picture), WebP
// through its loader; and it refuses a damaged file with an error instead
// of stalling.
#pragma once

#include "video/still_format.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

// Pictures with more pixels than this are refused before their pixels are
// decoded (a damaged header can claim any size): 256 megapixels, more than
// any phone camera or an A4 page scanned at 1200 dpi. Each side is bounded
// as well (kMaxStretchSide), so a thin picture is refused too.
constexpr std::uint64_t kMaxStillPixels = std::uint64_t(1) << 28;

// What a picture that could be read still lacked.
constexpr const char* kIncompleteNote = "the file is incomplete; scanned what it holds";

// A decoded picture, or the pictures of an animation, stretched to the
// frame one by one.
class StillPicture {
  public:
    // Decodes the picture in format from fd (from its current position to
    // its end, but no further than the picture's own end). Null with the
    // reason in plain words in error ("damaged PNG file"); the library's
    // own words are in detail. A picture of more than maxPixels is refused.
    static std::unique_ptr<StillPicture> Read(int fd, const StillFormat& format, std::string& error,
                                              std::string& detail,
                                              std::uint64_t maxPixels = kMaxStillPixels);
    ~StillPicture();
    StillPicture(const StillPicture&) = delete;
    StillPicture& operator=(const StillPicture&) = delete;

    // 1 for a still picture; an animation's pictures.
    int Pictures() const { return pictures_; }
    // Stretches the next picture into frame (480 rows of 640 words,
    // rowPixels apart); its time on screen in milliseconds (0 for a still).
    int NextPicture(std::span<std::uint32_t> frame, std::size_t rowPixels);
    // Set when the picture was read with a fault it survived (kIncompleteNote).
    const std::string& Note() const { return note_; }

  private:
    struct Decoded;
    explicit StillPicture(std::unique_ptr<Decoded> decoded, int pictures, std::string note);
    std::unique_ptr<Decoded> decoded_;
    int pictures_ = 1;
    std::string note_;
};

// Reads the (first) picture in format from fd into frame: 480 rows of 640
// words, rowPixels words apart. False with the reason in plain words in
// error ("damaged PNG file"); true with error set when the picture was read
// with a fault it survived (kIncompleteNote).
bool ReadStillImage(int fd, const StillFormat& format, std::span<std::uint32_t> frame,
                    std::size_t rowPixels, std::string& error);
