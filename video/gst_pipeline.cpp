// The shared GStreamer pipeline: its description, its start and its errors.
#include "video/gst_pipeline.h"

#include "engine/laser.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

} // namespace

const char* FrameFormat() {
    return std::endian::native == std::endian::little ? "BGRx" : "xRGB";
}

std::string FrameTail(const FrameTailOptions& options) {
    // bilinear2 widens its taps when it shrinks, so thin bars of a large
    // photograph are averaged rather than skipped; no borders: stretch.
    return std::string("videoconvert") +
           (options.headName ? std::string(" name=") + options.headName : "") + " ! videoscale" +
           (options.stretch ? " method=bilinear2 add-borders=false" : "") +
           " ! video/x-raw,format=" + FrameFormat() + ",width=" + std::to_string(kFrameWidth) +
           ",height=" + std::to_string(kFrameHeight) + " ! appsink name=" + kFrameSinkName +
           " sync=false enable-last-sample=false" +
           (options.everyFrame ? " max-buffers=2 drop=false" : " max-buffers=1 drop=true");
}

bool InitGStreamer(std::string& error) {
    GError* raw = nullptr;
    if (gst_init_check(nullptr, nullptr, &raw)) return true;
    gst::ErrorPtr e(raw);
    error = std::string("GStreamer could not start: ") + (e ? e->message : "unknown error");
    return false;
}

std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    while (!text.empty() && (text.back() == ' ' || text.back() == '.')) text.pop_back();
    return text;
}

std::string ErrorDetail(const GError* error, std::string_view debug) {
    std::string detail = error ? OneLine(error->message) : "";
    if (!debug.empty()) detail += (detail.empty() ? "" : " (") + OneLine(std::string(debug)) + ")";
    return detail;
}

ParsedPipeline ParsePipeline(const std::string& description, std::string_view shown) {
    ParsedPipeline parsed;
    GError* raw = nullptr;
    parsed.pipeline.reset(gst_parse_launch(description.c_str(), &raw));
    gst::ErrorPtr parseError(raw);
    const std::string source(shown);
    if (!parsed.pipeline || parseError) {
        parsed.pipeline.reset();
        parsed.detail = parseError ? OneLine(parseError->message) : "";
        const bool unlinked = parseError && parseError->domain == GST_PARSE_ERROR &&
                              parseError->code == GST_PARSE_ERROR_LINK;
        const bool unknown = parseError && parseError->domain == GST_PARSE_ERROR &&
                             parseError->code == GST_PARSE_ERROR_NO_SUCH_ELEMENT;
        parsed.error = "the source \"" + source + "\" " +
                       (unlinked  ? std::string("gives no video")
                        : unknown ? "names an element that GStreamer does not have"
                                  : "cannot be built");
    } else if (!GST_IS_PIPELINE(parsed.pipeline.get())) {
        parsed.pipeline.reset();
        parsed.error = "\"" + source + "\" is not a pipeline";
    }
    return parsed;
}

BusError ParseBusError(GstMessage* message) {
    GError* raw = nullptr;
    gchar* rawDebug = nullptr;
    gst_message_parse_error(message, &raw, &rawDebug);
    return {gst::ErrorPtr(raw), gst::GStringPtr(rawDebug)};
}

std::string_view SampleCopier::Copy(GstSample* sample, std::span<std::uint32_t> frame,
                                    std::size_t rowPixels) {
    GstCaps* caps = gst_sample_get_caps(sample);
    if (caps != caps_.get()) {
        if (!caps || !gst_video_info_from_caps(&info_, caps)) {
            caps_.reset();
            return "a frame came without its format";
        }
        caps_.reset(gst_caps_ref(caps));
    }
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstVideoFrame video{};
    if (!buffer || GST_VIDEO_INFO_WIDTH(&info_) != kFrameWidth ||
        GST_VIDEO_INFO_HEIGHT(&info_) != kFrameHeight || rowPixels < std::size_t(kFrameWidth) ||
        frame.size() < (kFrameHeight - 1) * rowPixels + kFrameWidth ||
        !gst_video_frame_map(&video, &info_, buffer, GST_MAP_READ))
        return "a frame could not be read as 640x480 pixels";
    const auto* base = static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&video, 0));
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&video, 0);
    for (int y = 0; y < kFrameHeight; ++y) {
        std::uint32_t* out = frame.data() + y * rowPixels;
        std::memcpy(out, base + std::ptrdiff_t(y) * stride, kFrameWidth * sizeof(std::uint32_t));
        for (int x = 0; x < kFrameWidth; ++x) out[x] |= kOpaque;
    }
    gst_video_frame_unmap(&video);
    return {};
}
