// GStreamer frame reader: runs the shared pipeline (video/gst_pipeline.h)
// with every frame kept and hands out each frame stretched to 640x480 as
// 0xAARRGGBB words, the layout of the scanner's frame buffer. Video files
// and source descriptions go through it; the live camera runs the same
// pipeline in video/gst_capture.
#pragma once

#include "engine/laser.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

struct GstFrameReaderOptions {
    // A blocking pull takes the stream as ended when the pipeline shows no
    // sign of work for this long: no frame, no message on its bus, no move
    // of its position (a demuxer that finds nothing to give, or spins).
    std::chrono::milliseconds stallTimeout{3000};
};

enum class GstPullResult {
    kFrame,       // a frame was copied out
    kEndOfStream, // the source has no more frames
    kError,       // the pipeline failed; Error() says why
};

class GstFrameReader {
  public:
    // Opens a local file (any image or video format that GStreamer decodes).
    // Null on failure, with the reason in error.
    static std::unique_ptr<GstFrameReader>
    OpenFile(const std::string& path, const GstFrameReaderOptions& options, std::string& error);

    // Opens a URI through uridecodebin.
    static std::unique_ptr<GstFrameReader>
    OpenUri(const std::string& uri, const GstFrameReaderOptions& options, std::string& error);

    // Opens a pipeline whose source part is given as a gst-launch description
    // ("videotestsrc", "v4l2src device=/dev/video0"); the conversion to 640x480
    // and the sink are appended.
    static std::unique_ptr<GstFrameReader> OpenSource(std::string_view sourceDescription,
                                                      const GstFrameReaderOptions& options,
                                                      std::string& error);

    ~GstFrameReader();
    GstFrameReader(const GstFrameReader&) = delete;
    GstFrameReader& operator=(const GstFrameReader&) = delete;

    // Waits for the next frame and copies it into pixels: 480 rows of 640
    // words, rowPixels words apart (at least 640).
    GstPullResult PullFrame(std::span<std::uint32_t> pixels, std::size_t rowPixels = kFrameWidth);

    // Why the last open or pull failed; empty while all is well.
    const std::string& Error() const;
    // GStreamer's own words about that failure; may be empty.
    const std::string& ErrorDetail() const;
    // GStreamer's own words about the last open that failed.
    static const std::string& LastDetail();

  private:
    struct Pipeline;
    explicit GstFrameReader(std::unique_ptr<Pipeline> pipeline);
    // Builds the pipeline over source (setting uri on the URI decoder when
    // given) and starts it; null with the reason in error.
    static std::unique_ptr<GstFrameReader> Start(std::string_view source,
                                                 const GstFrameReaderOptions& options,
                                                 const char* uri, std::string& error);

    std::unique_ptr<Pipeline> pipeline_;
};
