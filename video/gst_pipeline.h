// The pipeline that the camera and the file reader both run,
//   <source> ! videoconvert ! videoscale ! 640x480 ! appsink,
// and what both need around it: starting GStreamer, building a pipeline
// from a description, the errors that GStreamer reports, and copying a
// sample into the frame buffer as 0xAARRGGBB words.
#pragma once

#include "video/gst_ptr.h"

#include <gst/gst.h>
#include <gst/video/video.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The appsink at the end of every pipeline.
inline constexpr const char* kFrameSinkName = "kestrix_sink";

struct FrameTailOptions {
    const char* headName = nullptr; // names the first element, for a source to link to
    bool everyFrame =
        false;            // the pipeline waits for the reader (files); else only the newest is kept
    bool stretch = false; // wider taps when shrinking (thin bars are averaged), never borders
};

// The raw video format whose 32-bit words read as 0x..RRGGBB on this host.
const char* FrameFormat();

// "videoconvert ! videoscale ! video/x-raw,<FrameFormat()>,640x480 ! appsink".
std::string FrameTail(const FrameTailOptions& options);

// Starts GStreamer once; false with the reason in error.
bool InitGStreamer(std::string& error);

// GStreamer's words on one line, without a closing full stop.
std::string OneLine(std::string text);

// GStreamer's error and its debug text as one line, for --verbose.
std::string ErrorDetail(const GError* error, std::string_view debug);

struct ParsedPipeline {
    gst::PipelinePtr pipeline; // null when it could not be built
    std::string error;         // why, in plain words, naming the source as the user gave it
    std::string detail;        // GStreamer's own words about it
};
// Builds the pipeline that description gives; shown is the part the user gave.
ParsedPipeline ParsePipeline(const std::string& description, std::string_view shown);

struct BusError {
    gst::ErrorPtr error;       // may be null
    gst::GStringPtr debugText; // may be null
    std::string_view Debug() const { return debugText ? debugText.get() : ""; }
};
// The error that an error message carries.
BusError ParseBusError(GstMessage* message);

// Copies samples into a frame buffer, reading a format once and not per frame.
class SampleCopier {
  public:
    // Copies the sample's 640x480 picture into frame, rows rowPixels words
    // apart, with the alpha byte set. Empty, or why it could not.
    std::string_view Copy(GstSample* sample, std::span<std::uint32_t> frame, std::size_t rowPixels);

  private:
    gst::CapsPtr caps_; // the format of the last frame, read into info_
    GstVideoInfo info_{};
};
