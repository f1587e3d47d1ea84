// The live scanner's operations that the desktop program and kestrix-scan
// call: the idle loop, the camera, its settings dialog and the snapshot.
// What the engine itself calls is declared in engine/video_hooks.h.
#pragma once

#include "toolbox/event_loop.h"
#include "toolbox/fourcc.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct ScannerInstance;
struct ScannerView;

// The timer callback: takes a pending frame, scans it and asks for a redraw;
// without a camera retries every 300 ticks on a 5-second timer. userData is
// the instance.
void VideoIdle(EventLoopTimer* timer, void* userData);

// Opens the camera (or the configured source) and starts the preview into the
// frame buffer; nothing when already open or when no camera can be opened.
void VideoOpenDigitizer(ScannerInstance* instance);
// Takes the channel settings and closes the camera.
void VideoCloseDigitizer(ScannerInstance* instance);
// Moves the camera's settings (its identifier and control values) out to
// channelSettings, and back in.
void VideoGetChannelSettings(ScannerInstance* instance);
void VideoSetChannelSettings(ScannerInstance* instance);

// Runs the camera settings dialog; without a camera shows the
// "NO_CAMERA_MSG" / "NO_CAMERA_EXP" caution alert instead.
void VideoSettingsDialog(ScannerInstance* instance);

// The settings dialog is the desktop program's. It is called with capture
// stopped and returns when the user has closed it; it may change camera
// controls (VideoSetCameraControl) and choose another camera
// (VideoChooseCamera). Without a dialog the request does nothing.
using VideoSettingsDialogProc = void (*)(ScannerInstance* instance);
void VideoSetSettingsDialogProc(VideoSettingsDialogProc proc);

// Asks the scanner view to redraw from the frame buffer (the desktop
// program's view); without one nothing is redrawn.
using VideoNeedsDisplayProc = void (*)(ScannerView* view);
void VideoSetNeedsDisplayProc(VideoNeedsDisplayProc proc);

// Saves the frame buffer as a PNG in the Desktop folder as "Kestrix Image
// N.png", the first free N; without a Desktop folder in the pictures folder,
// else in the home folder. noErr and the path written (when asked), or a
// failure status (fnfErr when there is none of those folders); nothing is
// written on failure.
OSStatus VideoExportFrame(ScannerInstance* instance, std::filesystem::path* written = nullptr);
// The same into folder, without idling the camera first, named by the format
// (one %ld for N), e.g. "Kestrix Image %ld.png". The path written goes to
// written when given.
OSStatus VideoWriteFramePng(const ScannerInstance* instance, const std::filesystem::path& folder,
                            const char* nameFormat, std::filesystem::path* written = nullptr);
// The user's Desktop folder from the XDG user dirs, else ~/Desktop; empty
// when it does not exist.
std::filesystem::path VideoDesktopFolder();
// The user's pictures folder from the XDG user dirs, else ~/Pictures; empty
// when it does not exist.
std::filesystem::path VideoPicturesFolder();

// The capture source: empty for the camera (the first one GStreamer's device
// monitor lists, else v4l2src), or a GStreamer source description
// ("videotestsrc", "filesrc location=clip.avi ! decodebin"). Takes effect at
// the next open.
void VideoSetSourceDescription(const std::string& description);

// The cameras that the device monitor lists now.
struct CameraInfo {
    std::string id;   // stable identifier: /dev/v4l/by-id path, else the device name
    std::string name; // for people
};
std::vector<CameraInfo> VideoListCameras();
// The identifier of the open camera; empty when none is open or the source
// is not a camera.
std::string VideoCurrentCameraId(const ScannerInstance* instance);
// Makes id the camera to use: stored in channelSettings, opened at once when
// capture is running.
void VideoChooseCamera(ScannerInstance* instance, const std::string& id);

// The open camera's adjustable controls (brightness, contrast, exposure ...).
struct CameraControl {
    enum class Kind { kInteger, kBoolean, kMenu };
    std::uint32_t id = 0; // V4L2 control ID
    std::string name;
    Kind kind = Kind::kInteger;
    std::int32_t minimum = 0, maximum = 0, step = 1, defaultValue = 0, value = 0;
    std::vector<std::pair<std::int32_t, std::string>> menu; // value, label (kMenu)
};
std::vector<CameraControl> VideoGetCameraControls(const ScannerInstance* instance);
// False when no camera is open or the camera refused the value.
bool VideoSetCameraControl(ScannerInstance* instance, std::uint32_t id, std::int32_t value);
