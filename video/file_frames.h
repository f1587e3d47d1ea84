// The frames of one picture or video file, or of standard input, each
// stretched to 640x480: still pictures through GdkPixbuf, told by their
// content; everything else through GStreamer. Before anything is opened
// for decoding the file's type is looked at, so that a folder, a device or
// a named pipe that nobody writes to is refused at once instead of hanging.
#pragma once

#include "engine/laser.h"
#include "video/gst_frames.h"
#include "video/still_image.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// The file name that stands for standard input.
constexpr std::string_view kStandardInput = "-";

// How long a named pipe may stay without a writer before it is given up,
// and how often it is looked at meanwhile. A writer that has the pipe open
// is waited for as long as it takes.
constexpr std::chrono::milliseconds kPipeWriterWait{250};
constexpr std::chrono::milliseconds kPipeWriterPoll{10};

class FileFrameReader {
  public:
    // Opens path, or standard input for "-". Null with the reason in plain
    // words in error ("file not found", "damaged PNG file").
    // The decoding library's own words, when there are any, go to detail.
    static std::unique_ptr<FileFrameReader> Open(const std::string& path, std::string& error,
                                                 std::string* detail = nullptr);

    ~FileFrameReader();
    FileFrameReader(const FileFrameReader&) = delete;
    FileFrameReader& operator=(const FileFrameReader&) = delete;

    // The next frame into pixels (480 rows of 640 words, rowPixels apart).
    // A still picture gives one frame, then kEndOfStream; an animated
    // picture each of its pictures for as many frames (at 30 a second) as
    // it stays on screen.
    GstPullResult PullFrame(std::span<std::uint32_t> pixels, std::size_t rowPixels = kFrameWidth);

    // Why the last pull failed.
    const std::string& Error() const;
    // The library's own words about the last failure; may be empty.
    const std::string& ErrorDetail() const;
    // What the file lacked that it could be read without (kIncompleteNote);
    // empty when it was whole.
    const std::string& Note() const;

  private:
    FileFrameReader() = default;

    std::unique_ptr<StillPicture> still_;    // a picture decoded by GdkPixbuf
    int picturesLeft_ = 0;                   // of the still picture or animation
    std::vector<std::uint32_t> shown_;       // an animation's picture being shown
    int repeatsLeft_ = 0;                    // frames it stays on screen
    std::unique_ptr<GstFrameReader> stream_; // a video or other GStreamer-decoded file
    int fd_ = -1;                            // kept open while GStreamer reads a copy through it
    std::string error_;
};

// Drops the warnings that GLib, GdkPixbuf and GStreamer would print on
// standard error, so that a bad file costs exactly one line of our own.
void SilenceLibraryWarnings();
