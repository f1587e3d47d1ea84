// Makes the pictures and videos of the kestrix-scan tests.
#include "test_media.h"

#include "tests/support/zint_bars.h"
#include "video/gst_ptr.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <zint.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

namespace {

using ZintPtr = ZintSymbolPtr;
using namespace gst;

constexpr GstClockTime kEncodeTimeout = 60 * GST_SECOND;
constexpr int kVideoFps = 30;

ZintPtr Encode(int symbology, const std::string& data, const BarcodeLook& look,
               std::string& error) {
    ZintPtr symbol(ZBarcode_Create());
    symbol->symbology = symbology;
    symbol->scale = look.scale;
    symbol->whitespace_width = look.whitespace;
    const int status = ZBarcode_Encode(
        symbol.get(), reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
    if (status >= ZINT_ERROR) error = symbol->errtxt;
    return symbol;
}

// Bilinear sample of the label at (u, v); false outside it.
bool Sample(const RgbImage& label, double u, double v, double out[3]) {
    if (u < 0 || v < 0 || u > label.width - 1 || v > label.height - 1) return false;
    const int x = std::min(int(u), label.width - 2), y = std::min(int(v), label.height - 2);
    const double fx = u - x, fy = v - y;
    for (int c = 0; c < 3; ++c) {
        auto at = [&](int xx, int yy) {
            return double(label.rgb[(yy * label.width + xx) * 3 + c]);
        };
        out[c] = (at(x, y) * (1 - fx) + at(x + 1, y) * fx) * (1 - fy) +
                 (at(x, y + 1) * (1 - fx) + at(x + 1, y + 1) * fx) * fy;
    }
    return true;
}

// Pushes frames into "appsrc ! videoconvert ! <encoder>" and waits for the
// file to be written.
std::string RunEncoder(const std::string& encoder, int width, int height, int frameCount,
                       const std::function<const RgbImage&(int)>& frameAt,
                       const std::string& path) {
    gst_init(nullptr, nullptr);
    const std::string description =
        "appsrc name=src format=time caps=video/x-raw,format=RGBx,width=" + std::to_string(width) +
        ",height=" + std::to_string(height) + ",framerate=" + std::to_string(kVideoFps) +
        "/1 ! videoconvert ! " + encoder + " ! filesink name=out";
    GError* rawError = nullptr;
    PipelinePtr pipeline(gst_parse_launch(description.c_str(), &rawError));
    ErrorPtr parseError(rawError);
    if (!pipeline || parseError) return parseError ? parseError->message : "no pipeline";
    ElementPtr src(gst_bin_get_by_name(GST_BIN(pipeline.get()), "src"));
    ElementPtr sink(gst_bin_get_by_name(GST_BIN(pipeline.get()), "out"));
    g_object_set(sink.get(), "location", path.c_str(), nullptr);
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);

    for (int i = 0; i < frameCount; ++i) {
        const RgbImage& frame = frameAt(i);
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, gsize(width) * height * 4, nullptr);
        GstMapInfo map;
        gst_buffer_map(buffer, &map, GST_MAP_WRITE);
        for (int p = 0; p < width * height; ++p) {
            std::memcpy(map.data + p * 4, frame.rgb.data() + p * 3, 3);
            map.data[p * 4 + 3] = 0xFF;
        }
        gst_buffer_unmap(buffer, &map);
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(i, GST_SECOND, kVideoFps);
        GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(1, GST_SECOND, kVideoFps);
        gst_app_src_push_buffer(GST_APP_SRC(src.get()), buffer);
    }
    gst_app_src_end_of_stream(GST_APP_SRC(src.get()));

    BusPtr bus(gst_element_get_bus(pipeline.get()));
    MessagePtr message(gst_bus_timed_pop_filtered(
        bus.get(), kEncodeTimeout, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    if (!message) return "the encoder did not finish";
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
        GError* raw = nullptr;
        gst_message_parse_error(message.get(), &raw, nullptr);
        ErrorPtr error(raw);
        return error ? error->message : "encoder error";
    }
    return {};
}

} // namespace

RgbImage RgbImage::Filled(int width, int height, std::uint8_t grey) {
    return {width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3, grey)};
}

std::string WriteZintPng(int symbology, const std::string& data, const std::string& path,
                         const BarcodeLook& look) {
    std::string error;
    ZintPtr symbol = Encode(symbology, data, look, error);
    if (!error.empty()) return error;
    std::snprintf(symbol->outfile, sizeof symbol->outfile, "%s", path.c_str());
    if (ZBarcode_Print(symbol.get(), 0) >= ZINT_ERROR) return symbol->errtxt;
    return {};
}

RgbImage RenderBarcode(int symbology, const std::string& data, const BarcodeLook& look) {
    std::string error;
    ZintPtr symbol = Encode(symbology, data, look, error);
    if (!error.empty() || ZBarcode_Buffer(symbol.get(), 0) >= ZINT_ERROR) return {};
    RgbImage image{symbol->bitmap_width, symbol->bitmap_height, {}};
    image.rgb.assign(symbol->bitmap, symbol->bitmap + std::size_t(image.width) * image.height * 3);
    return image;
}

RgbImage Photo(const RgbImage& label, const PhotoLook& look) {
    RgbImage photo = RgbImage::Filled(look.width, look.height, 0);
    std::mt19937 random(look.seed);
    std::normal_distribution<double> noise(0.0, look.noise);
    const double angle = look.degrees * std::numbers::pi / 180;
    const double cosA = std::cos(angle), sinA = std::sin(angle);
    for (int y = 0; y < look.height; ++y) {
        for (int x = 0; x < look.width; ++x) {
            // Canvas point back into the label: undo the zoom and the turn.
            const double dx = (x - look.width / 2.0) / look.zoom;
            const double dy = (y - look.height / 2.0) / look.zoom;
            const double u = cosA * dx + sinA * dy + label.width / 2.0;
            const double v = -sinA * dx + cosA * dy + label.height / 2.0;
            double rgb[3];
            if (!Sample(label, u, v, rgb)) {
                const double light = 105 + 50.0 * (x + y) / (look.width + look.height);
                rgb[0] = light + 8, rgb[1] = light + 4, rgb[2] = light;
            }
            const double shade = 0.9 + 0.1 * x / look.width; // light falls off to the left
            for (int c = 0; c < 3; ++c) {
                const double value = rgb[c] * shade + noise(random);
                photo.rgb[(std::size_t(y) * look.width + x) * 3 + c] =
                    std::uint8_t(std::clamp(value, 0.0, 255.0));
            }
        }
    }
    return photo;
}

std::string EncodePicture(const RgbImage& image, const std::string& path) {
    const bool jpeg = path.ends_with(".jpg") || path.ends_with(".jpeg");
    const char* encoder = jpeg                      ? "jpegenc quality=90"
                          : path.ends_with(".webp") ? "webpenc quality=90"
                                                    : "pngenc";
    return RunEncoder(
        encoder, image.width, image.height, 1, [&](int) -> const RgbImage& { return image; }, path);
}

std::string EncodeVideo(int frameCount, const std::function<const RgbImage&(int)>& frameAt,
                        const std::string& path) {
    const RgbImage& first = frameAt(0);
    // A phone's video: H.264 in MP4. Otherwise Motion-JPEG in AVI.
    const char* encoder = path.ends_with(".mp4")
                              ? "openh264enc bitrate=4000000 ! h264parse ! mp4mux"
                              : "jpegenc quality=85 ! avimux";
    return RunEncoder(encoder, first.width, first.height, frameCount, frameAt, path);
}
