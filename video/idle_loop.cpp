// The capture loop: opening and closing the camera, the 30 Hz idle timer
// with its new-frame marker, the no-camera retry every 300 ticks on a
// 5-second timer, the channel settings and the settings dialog.
#include "engine/dispatch.h"
#include "engine/scanner_instance.h"
#include "toolbox/alerts.h"
#include "video/capture.h"
#include "video/frame_world.h"
#include "video/gst_capture.h"
#include "video/live_video.h"

#include <linux/videodev2.h>

namespace {

constexpr double kFrameInterval = 0.03333333333333333; // 1/30 s
constexpr double kNoCameraInterval = 5.0;
constexpr std::int32_t kRetryTicks = 300;

CaptureService* service = nullptr; // null: the GStreamer service
VideoSettingsDialogProc settingsDialog = nullptr;
VideoNeedsDisplayProc needsDisplay = nullptr;
CaptureEnd lastEnd;
std::string lastOpenError;

CaptureService& Service() {
    return service ? *service : DefaultGstCaptureService();
}

ChannelSettings StoredSettings(const ScannerInstance* instance) {
    return UnflattenChannelSettings(instance->channelSettings).value_or(ChannelSettings{});
}

bool IsFocusControl(std::uint32_t id) {
    return id == V4L2_CID_FOCUS_AUTO || id == V4L2_CID_FOCUS_ABSOLUTE;
}

// Closes the grabber without taking its settings.
void DropGrabber(ScannerInstance* instance) {
    delete instance->grabber;
    instance->grabber = nullptr;
    instance->channel = nullptr;
}

} // namespace

void VideoSetCaptureService(CaptureService* s) {
    service = s;
}

void VideoSetSettingsDialogProc(VideoSettingsDialogProc proc) {
    settingsDialog = proc;
}

void VideoSetNeedsDisplayProc(VideoNeedsDisplayProc proc) {
    needsDisplay = proc;
}

const CaptureEnd& VideoLastCaptureEnd() {
    return lastEnd;
}

const std::string& VideoLastOpenError() {
    return lastOpenError;
}

void VideoOpenDigitizer(ScannerInstance* instance) {
    if (!instance || instance->grabber) return;
    auto channel = Service().OpenChannel(StoredSettings(instance).deviceId, lastOpenError);
    if (!channel) return;
    lastOpenError.clear();
    lastEnd = {};
    instance->grabber = new CaptureGrabber{std::move(channel)};
    instance->channel = instance->grabber->channel.get();
    VideoSetChannelSettings(instance);
    VideoSyncFocusSettings(instance);
}

void VideoCloseDigitizer(ScannerInstance* instance) {
    if (!instance || !instance->grabber) return;
    VideoGetChannelSettings(instance);
    DropGrabber(instance);
}

void VideoGetChannelSettings(ScannerInstance* instance) {
    if (!instance->channel) return;
    ChannelSettings settings;
    settings.deviceId = instance->channel->DeviceId();
    if (CameraControls* controls = instance->channel->Controls())
        for (const CameraControl& c : controls->List())
            if (!IsFocusControl(c.id)) settings.controls.emplace_back(c.id, c.value);
    if (settings.deviceId.empty() && settings.controls.empty()) return; // not a camera
    instance->channelSettings = FlattenChannelSettings(settings);
}

void VideoSetChannelSettings(ScannerInstance* instance) {
    if (!instance->channel || instance->channelSettings.empty()) return;
    CameraControls* controls = instance->channel->Controls();
    const auto settings = UnflattenChannelSettings(instance->channelSettings);
    // Another camera's values would be wrong for this one.
    if (!controls || !settings || settings->deviceId != instance->channel->DeviceId()) return;
    for (const auto& [id, value] : settings->controls)
        if (!IsFocusControl(id)) controls->Set(id, value);
}

void SetInstancePreviewEnabled(ScannerInstance* instance, bool enabled) {
    if (!instance) return;
    instance->previewEnabled = enabled;
    if (enabled) {
        VideoOpenDigitizer(instance);
        if (!instance->idleTimer)
            InstallEventLoopTimer(GetCurrentEventLoop(), 0.0, kFrameInterval, VideoIdle, instance,
                                  &instance->idleTimer);
    } else {
        if (instance->idleTimer) {
            RemoveEventLoopTimer(instance->idleTimer);
            instance->idleTimer = nullptr;
        }
        VideoCloseDigitizer(instance);
    }
}

void VideoIdle(EventLoopTimer* timer, void* userData) {
    auto* instance = static_cast<ScannerInstance*>(userData);
    if (!instance || instance->inSettingsDialog) return;

    if (instance->channel) {
        const std::span<std::uint32_t> frame = FramePixels(instance->frameWorld);
        if (frame.empty()) return;
        const std::uint32_t shown = frame[0];
        frame[0] = kFrameReadyMarker;
        const CaptureIdleResult result = instance->channel->Idle(frame, kFrameWidth);
        if (result == CaptureIdleResult::kEnded || result == CaptureIdleResult::kFailed) {
            frame[0] = shown;
            lastEnd = {result == CaptureIdleResult::kEnded, result == CaptureIdleResult::kFailed,
                       instance->channel->Error()};
            VideoCloseDigitizer(instance);
            instance->lastOpenAttemptTick = TickCount();
            if (lastEnd.failed) VideoPaintNoCameraPicture(*instance->frameWorld);
        } else if (frame[0] == kFrameReadyMarker) {
            frame[0] = shown; // no new frame: keep the picture whole, scan nothing
            return;
        } else {
            if (instance->grabber->focusAfterStart) {
                instance->grabber->focusAfterStart = false; // cameras reset focus on start
                VideoSyncFocusSettings(instance);
            }
            VideoScan(instance);
        }
    } else if (std::int32_t(TickCount() - instance->lastOpenAttemptTick) > kRetryTicks) {
        VideoOpenDigitizer(instance);
        instance->lastOpenAttemptTick = TickCount();
    }

    if (instance->view && needsDisplay) needsDisplay(instance->view);
    if (!instance->channel && timer) SetEventLoopTimerNextFireTime(timer, kNoCameraInterval);
}

void VideoSettingsDialog(ScannerInstance* instance) {
    if (!instance) return;
    if (!instance->channel) {
        AppStandardAlert(kAlertCautionAlert, "NO_CAMERA_MSG", "NO_CAMERA_EXP");
        return;
    }
    instance->channel->Stop();
    instance->inSettingsDialog = true;
    if (settingsDialog) settingsDialog(instance);
    instance->inSettingsDialog = false;
    if (!instance->channel) return; // the dialog chose a camera that could not be opened
    VideoGetChannelSettings(instance);
    instance->channel->Start();
}

std::string VideoCurrentCameraId(const ScannerInstance* instance) {
    return instance && instance->channel ? instance->channel->DeviceId() : std::string();
}

void VideoChooseCamera(ScannerInstance* instance, const std::string& id) {
    if (!instance) return;
    if (instance->channel && instance->channel->DeviceId() == id) return;
    const bool wasOpen = instance->grabber != nullptr;
    DropGrabber(instance);
    instance->channelSettings = FlattenChannelSettings({id, {}});
    if (wasOpen) VideoOpenDigitizer(instance);
}

std::vector<CameraControl> VideoGetCameraControls(const ScannerInstance* instance) {
    if (!instance || !instance->channel || !instance->channel->Controls()) return {};
    return instance->channel->Controls()->List();
}

bool VideoSetCameraControl(ScannerInstance* instance, std::uint32_t id, std::int32_t value) {
    if (!instance || !instance->channel || !instance->channel->Controls()) return false;
    return instance->channel->Controls()->Set(id, value);
}
