// GStreamer frame reader over the shared pipeline, with every frame kept:
// the pipeline waits for the reader. Errors come from the pipeline's bus
// and are turned into one line that says what went wrong with the source.
#include "video/gst_frames.h"

#include "video/gst_pipeline.h"

#include <gst/app/gstappsink.h>

#include <string>

namespace {

using namespace gst;

constexpr const char* kUriSourceName = "kestrix_source";
// How long one wait for a sample lasts before the bus is looked at again.
constexpr GstClockTime kPollInterval = 50 * GST_MSECOND;

// What a missing decoder's stream type means to the user.
std::string DescribeMissingType(std::string_view type) {
    if (type == "application/pdf") return "a PDF document, not a picture";
    if (type.starts_with("audio/")) return "holds sound but no picture or video";
    if (type.starts_with("video/")) return "a kind of video that no installed decoder reads";
    if (type.starts_with("image/")) return "a kind of picture that no installed decoder reads";
    return "not an image or video file";
}

// The bus error as one line that names the trouble in the source's terms;
// fromUri when the source is a URI (a file) rather than a device.
std::string DescribeError(const GError* error, std::string_view debug, bool fromUri) {
    if (fromUri && error->domain == GST_RESOURCE_ERROR) {
        // filesrc names the file in its own message; the caller names it already.
        if (error->code == GST_RESOURCE_ERROR_NOT_FOUND) return "file not found";
        if (std::string_view(error->message).find("is a directory") != std::string_view::npos)
            return "is a folder, not a file";
        if (error->code == GST_RESOURCE_ERROR_OPEN_READ) {
            constexpr std::string_view kSystem = "system error: ";
            const auto at = debug.find(kSystem);
            return at == std::string_view::npos
                       ? "cannot be opened for reading"
                       : "cannot be opened for reading (" +
                             OneLine(std::string(debug.substr(at + kSystem.size()))) + ")";
        }
    }
    if (debug.find("empty stream") != std::string_view::npos) return "the file is empty";
    if (error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND)
        return "not an image or video file";
    if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN) {
        constexpr std::string_view kMissing = "Missing decoder: ";
        if (auto at = debug.find(kMissing); at != std::string_view::npos) {
            auto type = debug.substr(at + kMissing.size());
            return DescribeMissingType(type.substr(0, type.find_first_of(" \n,(")));
        }
        return "not an image or video file";
    }
    if (debug.find("not-linked") != std::string_view::npos)
        return fromUri ? "holds no picture or video stream" : "the source gives no video";
    // Whatever else goes wrong inside a file's streams, "Internal data
    // stream error" and the like, comes down to this for the user.
    if (fromUri) return "damaged video file";
    if (error->domain == GST_RESOURCE_ERROR) return "the source could not be opened";
    return "the source failed";
}

std::string lastOpenDetail;

} // namespace

struct GstFrameReader::Pipeline {
    PipelinePtr pipeline; // declared first: stopped and released last
    ElementPtr sink;
    BusPtr bus;
    SampleCopier copier;
    std::chrono::milliseconds stallTimeout{};
    bool fromUri = false; // the source is uridecodebin
    std::string error;
    std::string detail; // GStreamer's own words about error
    std::chrono::steady_clock::time_point lastProgress = std::chrono::steady_clock::now();
    gint64 lastPosition = -1;

    // Takes every message waiting on the bus, each a sign of progress; the
    // first error goes into error (true).
    bool TakeBusError() {
        while (MessagePtr message{gst_bus_pop(bus.get())}) {
            lastProgress = std::chrono::steady_clock::now();
            if (GST_MESSAGE_TYPE(message.get()) != GST_MESSAGE_ERROR) continue;
            const BusError bus = ParseBusError(message.get());
            error = bus.error ? DescribeError(bus.error.get(), bus.Debug(), fromUri)
                              : "damaged video file";
            detail = ::ErrorDetail(bus.error.get(), bus.Debug());
            return true;
        }
        return false;
    }

    // True while the pipeline shows signs of work: its position moves or
    // it said something lately.
    bool Working() {
        gint64 position = -1;
        if (gst_element_query_position(pipeline.get(), GST_FORMAT_TIME, &position) &&
            position != lastPosition) {
            lastPosition = position;
            lastProgress = std::chrono::steady_clock::now();
        }
        return std::chrono::steady_clock::now() - lastProgress < stallTimeout;
    }
};

GstFrameReader::GstFrameReader(std::unique_ptr<Pipeline> pipeline)
    : pipeline_(std::move(pipeline)) {}

GstFrameReader::~GstFrameReader() = default;

std::unique_ptr<GstFrameReader> GstFrameReader::Start(std::string_view source,
                                                      const GstFrameReaderOptions& options,
                                                      const char* uri, std::string& error) {
    if (!InitGStreamer(error)) return nullptr;
    const std::string description =
        std::string(source) + " ! " + FrameTail({.everyFrame = true, .stretch = true});
    ParsedPipeline parsed = ParsePipeline(description, source);
    lastOpenDetail = std::move(parsed.detail);
    PipelinePtr pipeline = std::move(parsed.pipeline);
    if (!pipeline) {
        error = std::move(parsed.error);
        return nullptr;
    }

    auto result = std::make_unique<Pipeline>();
    result->stallTimeout = options.stallTimeout;
    result->sink.reset(gst_bin_get_by_name(GST_BIN(pipeline.get()), kFrameSinkName));
    result->bus.reset(gst_element_get_bus(pipeline.get()));
    result->fromUri = uri != nullptr;
    if (!result->sink || !result->bus) {
        error = "the GStreamer pipeline \"" + description + "\" has no frame sink";
        return nullptr;
    }
    if (uri) {
        ElementPtr decoder(gst_bin_get_by_name(GST_BIN(pipeline.get()), kUriSourceName));
        if (decoder) g_object_set(decoder.get(), "uri", uri, nullptr);
    }
    result->pipeline = std::move(pipeline);

    if (gst_element_set_state(result->pipeline.get(), GST_STATE_PLAYING) ==
        GST_STATE_CHANGE_FAILURE) {
        if (!result->TakeBusError()) result->error = "the GStreamer pipeline did not start";
        error = result->error;
        lastOpenDetail = result->detail;
        return nullptr;
    }
    return std::unique_ptr<GstFrameReader>(new GstFrameReader(std::move(result)));
}

std::unique_ptr<GstFrameReader> GstFrameReader::OpenFile(const std::string& path,
                                                         const GstFrameReaderOptions& options,
                                                         std::string& error) {
    GError* rawError = nullptr;
    GStringPtr uri(gst_filename_to_uri(path.c_str(), &rawError));
    ErrorPtr uriError(rawError);
    if (!uri) {
        error = std::string("not a usable file name: ") +
                (uriError ? uriError->message : "unknown error");
        return nullptr;
    }
    return OpenUri(uri.get(), options, error);
}

std::unique_ptr<GstFrameReader> GstFrameReader::OpenUri(const std::string& uri,
                                                        const GstFrameReaderOptions& options,
                                                        std::string& error) {
    const std::string source = std::string("uridecodebin name=") + kUriSourceName;
    return Start(source, options, uri.c_str(), error);
}

std::unique_ptr<GstFrameReader> GstFrameReader::OpenSource(std::string_view sourceDescription,
                                                           const GstFrameReaderOptions& options,
                                                           std::string& error) {
    return Start(sourceDescription, options, nullptr, error);
}

const std::string& GstFrameReader::Error() const {
    return pipeline_->error;
}

const std::string& GstFrameReader::ErrorDetail() const {
    return pipeline_->detail;
}

const std::string& GstFrameReader::LastDetail() {
    return lastOpenDetail;
}

GstPullResult GstFrameReader::PullFrame(std::span<std::uint32_t> pixels, std::size_t rowPixels) {
    Pipeline& p = *pipeline_;
    if (!p.error.empty()) return GstPullResult::kError;
    if (rowPixels < std::size_t(kFrameWidth) ||
        pixels.size() < (kFrameHeight - 1) * rowPixels + kFrameWidth) {
        p.error = "the frame buffer is smaller than 640x480";
        return GstPullResult::kError;
    }

    auto* sink = GST_APP_SINK(p.sink.get());
    SamplePtr sample;
    while (!sample) {
        if (p.TakeBusError()) return GstPullResult::kError;
        sample.reset(gst_app_sink_try_pull_sample(sink, kPollInterval));
        if (sample) break;
        if (gst_app_sink_is_eos(sink))
            return p.TakeBusError() ? GstPullResult::kError : GstPullResult::kEndOfStream;
        // Nothing more comes from a pipeline that has stopped working.
        if (!p.Working()) return GstPullResult::kEndOfStream;
    }
    p.lastProgress = std::chrono::steady_clock::now();
    if (std::string_view e = p.copier.Copy(sample.get(), pixels, rowPixels); !e.empty()) {
        p.error = e;
        return GstPullResult::kError;
    }
    return GstPullResult::kFrame;
}
