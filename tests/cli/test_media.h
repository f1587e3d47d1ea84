// Test pictures and videos for kestrix-scan, made by independent encoders:
// libzint draws the barcodes, GStreamer's own encoders write PNG, JPEG,
// WebP, a Motion-JPEG AVI video and an H.264 MP4 video.
#pragma once

#include "tests/support/render_barcode.h"
#include "video/gst_ptr.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <zint.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// 8-bit RGB, rows top to bottom without padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    static RgbImage Filled(int width, int height, std::uint8_t grey) {
        return {width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3, grey)};
    }
};

struct BarcodeLook {
    float scale = 2;     // libzint scale: 1 draws a module 2 pixels wide
    int whitespace = 10; // quiet zone left and right, modules
};

// libzint's raster of the symbol (white background, human-readable text);
// empty when libzint refuses the data.
inline RgbImage RenderBarcode(int symbology, const std::string& data,
                              const BarcodeLook& look = {}) {
    ZintSymbolPtr symbol(ZBarcode_Create());
    symbol->symbology = symbology;
    symbol->scale = look.scale;
    symbol->whitespace_width = look.whitespace;
    if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()),
                        int(data.size())) >= ZINT_ERROR ||
        ZBarcode_Buffer(symbol.get(), 0) >= ZINT_ERROR)
        return {};
    RgbImage image{symbol->bitmap_width, symbol->bitmap_height, {}};
    image.rgb.assign(symbol->bitmap, symbol->bitmap + std::size_t(image.width) * image.height * 3);
    return image;
}

// Bilinear sample of the label at (u, v); false outside it.
inline bool Sample(const RgbImage& label, double u, double v, double out[3]) {
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

// The symbol as a camera might see it: placed at the centre of a larger
// unevenly lit grey canvas, turned by degrees, scaled by zoom and overlaid
// with sensor noise drawn from seed.
struct PhotoLook {
    int width = 1600;
    int height = 1200;
    double degrees = 6;
    double zoom = 2;
    double noise = 6; // standard deviation, grey levels
    std::uint32_t seed = 1;
};

inline RgbImage Photo(const RgbImage& label, const PhotoLook& look) {
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

// Writes the frames (all of one size; frameAt(i) gives frame i) at 30 a
// second through GStreamer's encoder for the path's extension: one PNG,
// JPEG or WebP picture, or a video, H.264 in MP4 as a phone makes it or
// Motion-JPEG in AVI. Empty on success, else GStreamer's message.
inline std::string Encode(const std::string& path, int frameCount,
                          const std::function<const RgbImage&(int)>& frameAt) {
    const std::string extension = std::filesystem::path(path).extension();
    const char* encoder = extension == ".jpg"    ? "jpegenc quality=90"
                          : extension == ".webp" ? "webpenc quality=90"
                          : extension == ".mp4" ? "openh264enc bitrate=4000000 ! h264parse ! mp4mux"
                          : extension == ".avi" ? "jpegenc quality=85 ! avimux"
                                                : "pngenc";
    const int width = frameAt(0).width, height = frameAt(0).height;
    gst_init(nullptr, nullptr);
    const std::string description =
        "appsrc name=src format=time caps=video/x-raw,format=RGBx,width=" + std::to_string(width) +
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
        const RgbImage& frame = frameAt(i);
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, gsize(width) * height * 4, nullptr);
        GstMapInfo map;
        gst_buffer_map(buffer, &map, GST_MAP_WRITE);
        for (int p = 0; p < width * height; ++p) {
            std::memcpy(map.data + p * 4, frame.rgb.data() + p * 3, 3);
            map.data[p * 4 + 3] = 0xFF;
        }
        gst_buffer_unmap(buffer, &map);
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(i, GST_SECOND, 30);
        GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(1, GST_SECOND, 30);
        gst_app_src_push_buffer(GST_APP_SRC(src.get()), buffer);
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

inline std::string EncodePicture(const RgbImage& image, const std::string& path) {
    return Encode(path, 1, [&](int) -> const RgbImage& { return image; });
}

// An animated GIF of grey pictures (all of one size), each shown for
// centiseconds: the plain LZW form that needs no table, every pixel a
// 9-bit code and a clear code before the table would widen them.
inline std::string AnimatedGif(const std::vector<RgbImage>& pictures, int centiseconds) {
    using namespace std::string_literals;
    const int w = pictures.front().width, h = pictures.front().height;
    std::string gif = "GIF89a";
    auto le16 = [&](int v) { gif += char(v & 0xFF), gif += char(v >> 8); };
    le16(w), le16(h);
    gif += char(0xF7), gif += '\0', gif += '\0'; // a 256-entry global colour table
    for (int i = 0; i < 256; ++i) gif.append(3, char(i));
    gif += "\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"s; // loop for ever
    for (const RgbImage& picture : pictures) {
        gif += "\x21\xF9\x04\x00"s, le16(centiseconds), gif += "\x00\x00"s;
        gif += ',', le16(0), le16(0), le16(w), le16(h), gif += '\0';
        gif += char(8); // LZW code size
        std::string data;
        std::uint32_t bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= std::uint32_t(code) << count;
            for (count += 9; count >= 8; count -= 8, bits >>= 8) data += char(bits & 0xFF);
        };
        constexpr int kClear = 256, kEnd = 257, kRun = 250;
        for (int p = 0; p < w * h; ++p) {
            if (p % kRun == 0) put(kClear);
            const std::uint8_t* rgb = &picture.rgb[std::size_t(p) * 3];
            put((rgb[0] + 2 * rgb[1] + rgb[2]) / 4);
        }
        put(kEnd);
        if (count > 0) data += char(bits & 0xFF);
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::string block = data.substr(at, 255);
            gif += char(block.size()), gif += block;
        }
        gif += '\0';
    }
    return gif + ';';
}
