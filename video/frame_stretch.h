// Stretches an 8-bit RGB or RGBA picture to the 640x480 frame as the
// camera's picture is: the aspect ratio is not kept, and a shrink averages
// every source pixel under each frame pixel, so the thin bars of a large
// photograph survive. The filter is the one GStreamer's "videoscale
// method=bilinear2" uses, so a picture reads the same either way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct RgbPicture {
    const std::uint8_t* pixels = nullptr; // first row, top to bottom
    int width = 0;                        // pixels
    int height = 0;                       // rows
    std::size_t rowBytes = 0;             // bytes from one row to the next
    int channels = 3;                     // 3: RGB; 4: RGBA, composed over white
};

// The longest side a picture may have: the stretch keeps the weights of one
// side's source pixels, so its memory grows with the longest side.
constexpr int kMaxStretchSide = 1 << 16;

// The source positions and normalised weights of one output pixel along
// one axis, out-of-range positions folded onto the edge pixel.
struct StretchTaps {
    int first = 0;              // first source position, within the picture
    std::vector<float> weights; // one per position from first on
};

// Stretches a picture that arrives one row at a time, top to bottom: each
// row is shrunk or enlarged across at once and added into the frame rows it
// falls under, so memory is the frame's and one source row's, whatever the
// picture's height.
class FrameStretcher {
  public:
    // width and height between 1 and kMaxStretchSide.
    FrameStretcher(int width, int height, int channels);

    // The next source row: width pixels of channels bytes.
    void AddRow(const std::uint8_t* row);

    // Writes 480 rows of 640 opaque 0xAARRGGBB words, rowPixels words apart.
    // Rows never added count as black.
    void Finish(std::span<std::uint32_t> frame, std::size_t rowPixels) const;

  private:
    int width_, height_, channels_;
    std::vector<StretchTaps> across_, down_;
    std::vector<float> source_; // one source row as RGB floats
    std::vector<float> frame_;  // 640x480 RGB sums
    int nextRow_ = 0;
    std::size_t firstOpen_ = 0; // first frame row that the next source row may fall under
};

// Writes 480 rows of 640 opaque 0xAARRGGBB words, rowPixels words apart.
void StretchToFrame(const RgbPicture& picture, std::span<std::uint32_t> frame,
                    std::size_t rowPixels);
