// GStreamer capture channels. The appsink keeps one buffer and drops older
// ones; the idle call takes a pending sample without waiting and copies it
// into the frame buffer with the alpha byte set. A live source runs without
// clock sync; any other (a file, videotestsrc) is played at its own pace.
// Errors and the end of the stream come from the bus and are latched.
#include "video/gst_capture.h"

#include "engine/laser.h"
#include "video/gst_pipeline.h"

#include <gst/app/gstappsink.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace {

using namespace gst;

constexpr const char* kHeadName = "kestrix_head";
constexpr int kMaxUsefulFps = 30; // the idle timer's rate

using MonitorPtr = Owned<GstDeviceMonitor, gst_object_unref>;

// The conversion to the frame buffer's format, keeping only the newest
// frame; named, its first element is the one a camera's source links to.
std::string ConvertTail(bool named = false) {
    return FrameTail({.headName = named ? kHeadName : nullptr});
}

// How long a source may take to give its first frame before it is said
// to give none.
constexpr auto kFirstFrameWait = std::chrono::seconds(5);

std::string lastDetail; // GStreamer's own words about the last failure

// A bus error in plain words; GStreamer's own go to lastDetail.
std::string DescribeBusError(const GError* error, std::string_view debug) {
    lastDetail = ErrorDetail(error, debug);
    if (debug.find("not-linked") != std::string_view::npos) return "the source gives no video";
    if (error->domain == GST_RESOURCE_ERROR) {
        switch (error->code) {
        case GST_RESOURCE_ERROR_NOT_FOUND:
            return "not found";
        case GST_RESOURCE_ERROR_BUSY:
            return "in use by another program";
        case GST_RESOURCE_ERROR_OPEN_READ:
        case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
        case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
            return "cannot be opened";
        default:
            return "the device stopped working";
        }
    }
    if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN)
        return "a part of GStreamer it needs is not installed";
    if (error->domain == GST_STREAM_ERROR) {
        if (error->code == GST_STREAM_ERROR_FORMAT || error->code == GST_STREAM_ERROR_DECODE ||
            error->code == GST_STREAM_ERROR_DEMUX || error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND)
            return "its video could not be decoded";
        return "its stream failed";
    }
    return "it failed";
}

// The first error on the bus in plain words; empty if there is none.
std::string TakeBusError(GstBus* bus) {
    MessagePtr message(gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR));
    if (!message) return {};
    const BusError error = ParseBusError(message.get());
    return error.error ? DescribeBusError(error.error.get(), error.Debug()) : "it failed";
}

// The highest frame rate of a structure's framerate field (fraction, list
// or range); 0/1 when it has none.
void HighestFrameRate(const GValue* value, int& num, int& den) {
    num = 0;
    den = 1;
    if (!value) return;
    auto consider = [&](const GValue* v) {
        if (!GST_VALUE_HOLDS_FRACTION(v)) return;
        const int n = gst_value_get_fraction_numerator(v);
        const int d = gst_value_get_fraction_denominator(v);
        if (d > 0 && std::int64_t(n) * den > std::int64_t(num) * d) {
            num = n;
            den = d;
        }
    };
    if (GST_VALUE_HOLDS_LIST(value)) {
        for (guint i = 0; i < gst_value_list_get_size(value); ++i)
            consider(gst_value_list_get_value(value, i));
    } else if (GST_VALUE_HOLDS_FRACTION_RANGE(value)) {
        consider(gst_value_get_fraction_range_max(value));
    } else {
        consider(value);
    }
}

std::vector<CameraMode> ModesOf(GstCaps* caps) {
    std::vector<CameraMode> modes;
    if (!caps) return modes;
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
        const GstStructure* s = gst_caps_get_structure(caps, i);
        CameraMode mode;
        const std::string_view name = gst_structure_get_name(s);
        if (name != "image/jpeg" && name != "video/x-raw") continue;
        mode.jpeg = name == "image/jpeg";
        if (!gst_structure_get_int(s, "width", &mode.width) ||
            !gst_structure_get_int(s, "height", &mode.height))
            continue;
        HighestFrameRate(gst_structure_get_value(s, "framerate"), mode.fpsNumerator,
                         mode.fpsDenominator);
        modes.push_back(mode);
    }
    return modes;
}

// The stable name of a device node: its /dev/v4l/by-id link, else its
// by-path link, else the node itself.
std::string StableDevicePath(const std::string& node) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = fs::canonical(node, ec);
    if (ec) return node;
    for (const char* folder : {"/dev/v4l/by-id", "/dev/v4l/by-path"}) {
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            std::error_code linkError;
            if (fs::canonical(entry.path(), linkError) == target && !linkError)
                return entry.path().string();
        }
    }
    return node;
}

struct CameraDevice {
    std::string id;   // stable identifier
    std::string name; // display name
    std::string node; // V4L2 device node; empty for other providers
    Owned<GstDevice, gst_object_unref> device;
};

std::vector<CameraDevice> ListCameraDevices() {
    std::vector<CameraDevice> cameras;
    MonitorPtr monitor(gst_device_monitor_new());
    gst_device_monitor_add_filter(monitor.get(), "Video/Source", nullptr);
    ObjectListPtr devices(gst_device_monitor_get_devices(monitor.get()));
    for (GList* l = devices.get(); l; l = l->next) {
        auto* device = GST_DEVICE(l->data);
        CameraDevice camera;
        GStringPtr name(gst_device_get_display_name(device));
        camera.name = name ? name.get() : "camera";
        StructurePtr props(gst_device_get_properties(device));
        for (const char* key : {"device.path", "api.v4l2.path"})
            if (const char* path = props ? gst_structure_get_string(props.get(), key) : nullptr) {
                camera.node = path;
                break;
            }
        camera.id = camera.node.empty() ? camera.name : StableDevicePath(camera.node);
        camera.device.reset(GST_DEVICE(gst_object_ref(device)));
        // Several providers may list one camera: keep the first.
        if (std::none_of(cameras.begin(), cameras.end(),
                         [&](const CameraDevice& c) { return c.id == camera.id; }))
            cameras.push_back(std::move(camera));
    }
    return cameras;
}

class GstCaptureChannel final : public CaptureChannel {
  public:
    GstCaptureChannel(PipelinePtr pipeline, std::string deviceId,
                      std::unique_ptr<CameraControls> controls)
        : pipeline_(std::move(pipeline)), deviceId_(std::move(deviceId)),
          controls_(std::move(controls)) {
        sink_.reset(gst_bin_get_by_name(GST_BIN(pipeline_.get()), kFrameSinkName));
        bus_.reset(gst_element_get_bus(pipeline_.get()));
    }

    // Starts the pipeline; false with the reason in error.
    bool Play(std::string& error) {
        if (!sink_ || !bus_) {
            error = "the GStreamer pipeline has no frame sink";
            return false;
        }
        const GstStateChangeReturn result =
            gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING);
        if (result == GST_STATE_CHANGE_FAILURE) {
            error = TakeBusError(bus_.get());
            if (error.empty()) error = "the GStreamer pipeline did not start";
            return false;
        }
        // A source that is not live (a file) plays at its own pace, not as
        // fast as it decodes; a live one is never held back.
        if (result != GST_STATE_CHANGE_NO_PREROLL) g_object_set(sink_.get(), "sync", TRUE, nullptr);
        started_ = std::chrono::steady_clock::now();
        return true;
    }

    CaptureIdleResult Idle(std::span<std::uint32_t> frame, std::size_t rowPixels) override {
        if (state_ != CaptureIdleResult::kNoFrame) return state_;
        if (std::string e = TakeBusError(bus_.get()); !e.empty()) return Fail(std::move(e));
        auto* sink = GST_APP_SINK(sink_.get());
        SamplePtr sample(gst_app_sink_try_pull_sample(sink, 0));
        if (!sample) {
            if (gst_app_sink_is_eos(sink))
                state_ = CaptureIdleResult::kEnded;
            else if (!framed_ && !paused_ &&
                     std::chrono::steady_clock::now() - started_ > kFirstFrameWait)
                return Fail("no picture came from it for " +
                            std::to_string(std::chrono::seconds(kFirstFrameWait).count()) +
                            " seconds");
            return state_;
        }
        framed_ = true;
        if (std::string_view e = copier_.Copy(sample.get(), frame, rowPixels); !e.empty())
            return Fail(std::string(e));
        return CaptureIdleResult::kFrame;
    }

    void Stop() override {
        paused_ = true;
        gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
    }
    void Start() override {
        paused_ = false;
        started_ = std::chrono::steady_clock::now();
        gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING);
    }
    std::string DeviceId() const override { return deviceId_; }
    CameraControls* Controls() override { return controls_.get(); }
    std::string Error() const override { return error_; }

  private:
    CaptureIdleResult Fail(std::string error) {
        error_ = deviceId_.empty() ? std::move(error) : "the camera failed: " + error;
        state_ = CaptureIdleResult::kFailed;
        return state_;
    }

    PipelinePtr pipeline_;
    ElementPtr sink_;
    BusPtr bus_;
    std::string deviceId_;
    std::unique_ptr<CameraControls> controls_;
    SampleCopier copier_;
    CaptureIdleResult state_ = CaptureIdleResult::kNoFrame; // latched end or failure
    std::string error_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    bool framed_ = false; // a frame has come
    bool paused_ = false; // stopped around the settings dialog
};

// Builds the pipeline; an error names shown, the part the user gave.
PipelinePtr BuildPipeline(const std::string& description, std::string& error,
                          const std::string& shown) {
    ParsedPipeline parsed = ParsePipeline(description, shown);
    if (!parsed.pipeline) {
        error = std::move(parsed.error);
        lastDetail = std::move(parsed.detail);
    }
    return std::move(parsed.pipeline);
}

std::unique_ptr<CaptureChannel> OpenCamera(CameraDevice& camera, std::string& error) {
    CapsPtr caps(gst_device_get_caps(camera.device.get()));
    const std::vector<CameraMode> modes = ModesOf(caps.get());
    const std::string tail = CameraPipelineTail(ChooseCameraMode(modes));
    PipelinePtr pipeline = BuildPipeline(tail, error, camera.name);
    if (!pipeline) return nullptr;
    GstElement* source = gst_device_create_element(camera.device.get(), nullptr);
    ElementPtr head(gst_bin_get_by_name(GST_BIN(pipeline.get()), kHeadName));
    if (!source || !head || !gst_bin_add(GST_BIN(pipeline.get()), source) ||
        !gst_element_link(source, head.get())) {
        error = "the camera \"" + camera.name + "\" could not be connected";
        return nullptr;
    }
    auto channel = std::make_unique<GstCaptureChannel>(std::move(pipeline), camera.id,
                                                       OpenV4l2Controls(camera.node));
    if (!channel->Play(error)) {
        error = "the camera \"" + camera.name + "\" could not be opened: " + error;
        return nullptr;
    }
    return channel;
}

} // namespace

std::optional<CameraMode> ChooseCameraMode(std::span<const CameraMode> modes) {
    // Smaller is better: the size's distance from 640x480, too small last.
    auto sizeRank = [](const CameraMode& m) {
        const std::int64_t area = std::int64_t(m.width) * m.height;
        const bool tooSmall = m.width < kFrameWidth || m.height < kFrameHeight;
        return std::pair(tooSmall, tooSmall ? -area : area);
    };
    auto fps = [](const CameraMode& m) {
        return std::min<double>(kMaxUsefulFps, double(m.fpsNumerator) / m.fpsDenominator);
    };
    const CameraMode* best = nullptr;
    for (const CameraMode& m : modes) {
        if (m.width <= 0 || m.height <= 0 || m.fpsDenominator <= 0) continue;
        if (!best || sizeRank(m) < sizeRank(*best) ||
            (sizeRank(m) == sizeRank(*best) &&
             (fps(m) > fps(*best) || (fps(m) == fps(*best) && m.jpeg && !best->jpeg))))
            best = &m;
    }
    if (!best) return std::nullopt;
    return *best;
}

std::string CameraPipelineTail(const std::optional<CameraMode>& mode) {
    if (!mode) return ConvertTail(true);
    std::string caps = std::string(mode->jpeg ? "image/jpeg" : "video/x-raw") +
                       ",width=" + std::to_string(mode->width) +
                       ",height=" + std::to_string(mode->height);
    if (mode->fpsNumerator > 0)
        caps += ",framerate=" + std::to_string(mode->fpsNumerator) + "/" +
                std::to_string(mode->fpsDenominator);
    // jpegdec writes BGRx itself, so the conversion passes the frame through.
    return std::string("capsfilter name=") + kHeadName + " caps=\"" + caps + "\" ! " +
           (mode->jpeg ? std::string("jpegdec ! video/x-raw,format=") + FrameFormat() + " ! "
                       : "") +
           ConvertTail();
}

std::unique_ptr<CaptureChannel> GstCaptureService::OpenPipeline(const std::string& description,
                                                                std::string& error) {
    if (!InitGStreamer(error)) return nullptr;
    PipelinePtr pipeline = BuildPipeline(description + " ! " + ConvertTail(), error, description);
    if (!pipeline) return nullptr;
    auto channel = std::make_unique<GstCaptureChannel>(std::move(pipeline), "", nullptr);
    if (!channel->Play(error)) {
        error = "the source \"" + description + "\" could not be started: " + error;
        return nullptr;
    }
    return channel;
}

std::unique_ptr<CaptureChannel> GstCaptureService::OpenChannel(const std::string& preferredId,
                                                               std::string& error) {
    if (!description_.empty()) return OpenPipeline(description_, error);
    if (!InitGStreamer(error)) return nullptr;
    std::vector<CameraDevice> cameras = ListCameraDevices();
    if (cameras.empty()) {
        // No device monitor entry: v4l2src on its default device, if there is one.
        std::error_code ec;
        if (!std::filesystem::exists("/dev/video0", ec)) {
            error = "no camera found";
            return nullptr;
        }
        PipelinePtr pipeline = BuildPipeline("v4l2src ! " + ConvertTail(), error, "v4l2src");
        if (!pipeline) return nullptr;
        auto channel = std::make_unique<GstCaptureChannel>(
            std::move(pipeline), StableDevicePath("/dev/video0"), OpenV4l2Controls("/dev/video0"));
        if (!channel->Play(error)) return nullptr;
        return channel;
    }
    auto preferred = std::find_if(cameras.begin(), cameras.end(),
                                  [&](const CameraDevice& c) { return c.id == preferredId; });
    return OpenCamera(preferred != cameras.end() ? *preferred : cameras.front(), error);
}

const std::string& GstCaptureLastDetail() {
    return lastDetail;
}

GstCaptureService& DefaultGstCaptureService() {
    static GstCaptureService service;
    return service;
}

void VideoSetSourceDescription(const std::string& description) {
    DefaultGstCaptureService().SetSourceDescription(description);
}

std::vector<CameraInfo> VideoListCameras() {
    std::string error;
    if (!InitGStreamer(error)) return {};
    std::vector<CameraInfo> list;
    for (const CameraDevice& c : ListCameraDevices()) list.push_back({c.id, c.name});
    return list;
}
