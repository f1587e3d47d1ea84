// The capture seam: what the idle loop needs of a camera. The GStreamer
// service is the real one; the tests put a scripted one in its place. Also
// the camera's V4L2 controls and the 'chan' block that stores the chosen
// camera and its control values.
#pragma once

#include "video/video.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

// The value written into the frame's first pixel before each idle call; a
// frame that still holds it afterwards did not arrive.
constexpr std::uint32_t kFrameReadyMarker = 0x0000FF00u;

// The camera's controls by V4L2 control ID.
struct CameraControlRange {
    std::int32_t minimum = 0, maximum = 0, step = 1, defaultValue = 0;
};
struct CameraControls {
    virtual ~CameraControls() = default;
    // False when the camera has no such control (or it is disabled).
    virtual bool Query(std::uint32_t id, CameraControlRange& range) = 0;
    virtual bool Get(std::uint32_t id, std::int32_t& value) = 0;
    virtual bool Set(std::uint32_t id, std::int32_t value) = 0;
    // Every adjustable control with its current value.
    virtual std::vector<CameraControl> List() = 0;
};

enum class CaptureIdleResult {
    kNoFrame, // nothing pending
    kFrame,   // a new frame was written into the frame buffer
    kEnded,   // the source has no more frames
    kFailed,  // the camera failed or went away; Error() says why
};

// One open camera or other source.
struct CaptureChannel {
    virtual ~CaptureChannel() = default;
    // Writes a pending frame into frame (480 rows, rowPixels words apart),
    // without waiting. Once ended or failed it stays so.
    virtual CaptureIdleResult Idle(std::span<std::uint32_t> frame, std::size_t rowPixels) = 0;
    // Pause and resume delivery (around the settings dialog).
    virtual void Stop() = 0;
    virtual void Start() = 0;
    // Stable identifier of the camera; empty for a source that is no camera.
    virtual std::string DeviceId() const = 0;
    // The V4L2 controls; null when the source has none.
    virtual CameraControls* Controls() = 0;
    virtual std::string Error() const = 0;
};

struct CaptureService {
    virtual ~CaptureService() = default;
    // Opens the camera identified by preferredId, or the first one when that
    // one is absent or preferredId is empty. Null with the reason in error.
    virtual std::unique_ptr<CaptureChannel> OpenChannel(const std::string& preferredId,
                                                        std::string& error) = 0;
};

// The service that VideoOpenDigitizer uses; null puts back the GStreamer one.
void VideoSetCaptureService(CaptureService* service);

// The open capture pipeline of an instance ('grabber'); channel is its camera.
struct CaptureGrabber {
    std::unique_ptr<CaptureChannel> channel;
    bool focusAfterStart = true; // send the focus again with the first frame
};

// How the last channel closed by itself (source ended or failed), for
// kestrix-scan; cleared when a channel opens.
struct CaptureEnd {
    bool ended = false;
    bool failed = false;
    std::string message;
};
const CaptureEnd& VideoLastCaptureEnd();
// Why the last open attempt failed; empty after a successful one.
const std::string& VideoLastOpenError();

// The 'chan' block: the chosen camera and its control values, in our own
// versioned big-endian encoding.
struct ChannelSettings {
    std::string deviceId;
    std::vector<std::pair<std::uint32_t, std::int32_t>> controls; // V4L2 control ID, value
};
std::vector<std::uint8_t> FlattenChannelSettings(const ChannelSettings& settings);
// Nullopt for a block that is damaged, truncated, oversized or of another version.
std::optional<ChannelSettings> UnflattenChannelSettings(std::span<const std::uint8_t> block);

// The focus distance 0.0 (near) .. 1.0 (far) as a value of the focus
// control's range; V4L2's higher values focus nearer.
std::int32_t MapFocusDistance(double distance, const CameraControlRange& range);

// Opens the V4L2 controls of a device node; null when it cannot be opened.
std::unique_ptr<CameraControls> OpenV4l2Controls(const std::string& devicePath);
