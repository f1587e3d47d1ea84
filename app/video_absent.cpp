// Without the live video library: no camera, no dialog, no snapshot. Built
// only when kestrix_video is not part of the build.
#include "video/video.h"

void VideoIdle(EventLoopTimer*, void*) {}
void VideoSettingsDialog(ScannerInstance*) {}
void VideoSetSettingsDialogProc(VideoSettingsDialogProc) {}
void VideoSetNeedsDisplayProc(VideoNeedsDisplayProc) {}
OSStatus VideoExportFrame(ScannerInstance*) {
    return fnfErr;
}
void VideoSetSourceDescription(const std::string&) {}
std::vector<CameraInfo> VideoListCameras() {
    return {};
}
std::string VideoCurrentCameraId(const ScannerInstance*) {
    return {};
}
void VideoChooseCamera(ScannerInstance*, const std::string&) {}
std::vector<CameraControl> VideoGetCameraControls(const ScannerInstance*) {
    return {};
}
bool VideoSetCameraControl(ScannerInstance*, std::uint32_t, std::int32_t) {
    return false;
}
