// Capture on GStreamer: the camera found with the device monitor (else
// v4l2src), or any source description, through the shared pipeline
// (video/gst_pipeline.h) keeping only the newest frame. A camera's MJPEG
// mode is taken where it offers one.
#pragma once

#include "video/capture.h"

#include <span>
#include <string>
#include <vector>

// One mode a camera offers.
struct CameraMode {
    bool jpeg = false; // image/jpeg, else raw video
    int width = 0, height = 0;
    int fpsNumerator = 0, fpsDenominator = 1; // the highest frame rate at that size
};

// The mode to ask for: the size nearest 640x480 that is no smaller (else the
// largest), then the highest frame rate up to 30 a second, then MJPEG over
// raw. Nullopt when there is none: the pipeline then negotiates by itself.
std::optional<CameraMode> ChooseCameraMode(std::span<const CameraMode> modes);

// The pipeline after a camera's source element for mode (or none).
std::string CameraPipelineTail(const std::optional<CameraMode>& mode);

class GstCaptureService final : public CaptureService {
  public:
    std::unique_ptr<CaptureChannel> OpenChannel(const std::string& preferredId,
                                                std::string& error) override;
    // Empty for the camera, else a source description.
    void SetSourceDescription(std::string description) { description_ = std::move(description); }

    // Opens "description ! tail" as it stands; tail defaults to the raw one.
    static std::unique_ptr<CaptureChannel> OpenPipeline(const std::string& description,
                                                        std::string& error);

  private:
    std::string description_;
};

// GStreamer's own words about the last failure of a capture source, which
// channels and open errors report in plain words.
const std::string& GstCaptureLastDetail();

// The service the idle loop uses unless told otherwise.
GstCaptureService& DefaultGstCaptureService();
