#include "tests/support/media.h"

#include "video/gst_ptr.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <filesystem>

std::string Encode(const std::string& path, int frameCount,
                   const std::function<const Frame&(int)>& frameAt) {
    const std::string extension = std::filesystem::path(path).extension();
    const char* encoder = extension == ".jpg"    ? "jpegenc quality=90"
                          : extension == ".webp" ? "webpenc quality=90"
                          : extension == ".mp4" ? "openh264enc bitrate=4000000 ! h264parse ! mp4mux"
                          : extension == ".avi" ? "jpegenc quality=85 ! avimux"
                          : extension == ".tga" ? "avenc_targa"
                                                : "pngenc";
    const int width = frameAt(0).width, height = frameAt(0).height;
    gst_init(nullptr, nullptr);
    // Frame words are 0xAARRGGBB in native (little-endian) order: BGRx bytes.
    const std::string description =
        "appsrc name=src format=time caps=video/x-raw,format=BGRx,width=" + std::to_string(width) +
        ",height=" + std::to_string(height) + ",framerate=30/1 ! videoconvert ! " + encoder +
        " ! filesink name=out";
    GError* rawError = nullptr;
    gst::PipelinePtr pipeline(gst_parse_launch(description.c_str(), &rawError));
    gst::ErrorPtr parseError(rawError);
    if (!pipeline || parseError) return parseError ? parseError->message : "no pipeline";
    gst::ElementPtr src(gst_bin_get_by_name(GST_BIN(pipeline.get()), "src"));
    gst::ElementPtr sink(gst_bin_get_by_name(GST_BIN(pipeline.get()), "out"));
    g_object_set(sink.get(), "location", path.c_str(), nullptr);
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    for (int i = 0; i < frameCount; ++i) {
        const Frame& frame = frameAt(i);
        const gsize bytes = frame.pixels.size() * 4;
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
        gst_buffer_fill(buffer, 0, frame.pixels.data(), bytes);
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(i, GST_SECOND, 30);
        GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(1, GST_SECOND, 30);
        gst_app_src_push_buffer(GST_APP_SRC(src.get()), buffer); // takes the buffer
    }
    gst_app_src_end_of_stream(GST_APP_SRC(src.get()));

    gst::BusPtr bus(gst_element_get_bus(pipeline.get()));
    gst::MessagePtr message(gst_bus_timed_pop_filtered(
        bus.get(), 60 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    if (!message) return "the encoder did not finish";
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
        GError* raw = nullptr;
        gst_message_parse_error(message.get(), &raw, nullptr);
        gst::ErrorPtr error(raw);
        return error ? error->message : "encoder error";
    }
    return {};
}
