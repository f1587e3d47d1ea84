#include "bench/photo_clips.h"

#include "engine/laser.h"
#include "video/gst_frames.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace {

// Frame i of the clip: the still moved by (dx, dy) with bilinear
// interpolation, times the gain, plus noise, each channel clamped.
void WebcamFrame(std::span<const std::uint32_t> still, std::span<std::uint32_t> out, double dx,
                 double dy, double gain, std::normal_distribution<double>& noise,
                 std::mt19937& random) {
    const int ix = int(std::floor(dx)), iy = int(std::floor(dy));
    const double fx = dx - ix, fy = dy - iy;
    auto at = [&](int x, int y) {
        x = std::clamp(x, 0, kFrameWidth - 1), y = std::clamp(y, 0, kFrameHeight - 1);
        return still[std::size_t(y) * kFrameWidth + std::size_t(x)];
    };
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x) {
            const std::uint32_t a = at(x + ix, y + iy), b = at(x + ix + 1, y + iy);
            const std::uint32_t c = at(x + ix, y + iy + 1), d = at(x + ix + 1, y + iy + 1);
            std::uint32_t q = 0xFF000000u;
            for (int shift : {0, 8, 16}) {
                auto v = [shift](std::uint32_t p) { return double((p >> shift) & 0xFF); };
                const double level =
                    (v(a) * (1 - fx) + v(b) * fx) * (1 - fy) + (v(c) * (1 - fx) + v(d) * fx) * fy;
                const long value = std::lround(level * gain + noise(random));
                q |= std::uint32_t(std::clamp(value, 0L, 255L)) << shift;
            }
            out[std::size_t(y) * kFrameWidth + std::size_t(x)] = q;
        }
}

struct ObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};

// Encodes the frames as Motion-JPEG in an AVI at 30 frames a second.
bool WriteAvi(const std::vector<std::vector<std::uint32_t>>& frames,
              const std::filesystem::path& file, std::string& error) {
    gst_init(nullptr, nullptr);
    const std::string description =
        "appsrc name=src format=time caps=video/x-raw,format=BGRx,width=640,height=480,"
        "framerate=30/1 ! videoconvert ! jpegenc quality=85 ! avimux ! filesink location=\"" +
        file.string() + "\"";
    GError* parseError = nullptr;
    std::unique_ptr<GstElement, ObjectUnref> pipeline(
        gst_parse_launch(description.c_str(), &parseError));
    if (!pipeline || parseError) {
        error = parseError ? parseError->message : "no clip pipeline";
        if (parseError) g_error_free(parseError);
        return false;
    }
    std::unique_ptr<GstElement, ObjectUnref> source(
        gst_bin_get_by_name(GST_BIN(pipeline.get()), "src"));
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    const std::size_t bytes = std::size_t(kFrameWidth) * kFrameHeight * 4;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
        gst_buffer_fill(buffer, 0, frames[i].data(), bytes);
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(i, GST_SECOND, 30);
        GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(1, GST_SECOND, 30);
        gst_app_src_push_buffer(GST_APP_SRC(source.get()), buffer); // takes the buffer
    }
    gst_app_src_end_of_stream(GST_APP_SRC(source.get()));
    std::unique_ptr<GstBus, ObjectUnref> bus(gst_element_get_bus(pipeline.get()));
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus.get(), 30 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (!ok) error = "the clip could not be written";
    if (message) gst_message_unref(message);
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return ok;
}

} // namespace

bool MakeClip(std::span<const std::uint32_t> still, const ClipLook& look,
              const std::filesystem::path& file, Clip& clip, std::string& error) {
    std::mt19937 random(look.seed);
    std::uniform_real_distribution<double> jitter(-look.maxJitter, look.maxJitter);
    std::uniform_real_distribution<double> gain(1 - look.maxGain, 1 + look.maxGain);
    std::normal_distribution<double> noise(0.0, look.noiseSigma);
    std::vector<std::vector<std::uint32_t>> frames(std::size_t(look.frames));
    for (auto& frame : frames) {
        frame.resize(std::size_t(kFrameWidth) * kFrameHeight);
        const double dx = jitter(random), dy = jitter(random);
        WebcamFrame(still, frame, dx, dy, gain(random), noise, random);
    }
    if (!WriteAvi(frames, file, error)) return false;

    clip.file = file;
    clip.frames.clear();
    if (!look.decodeBack) return true;
    auto reader = GstFrameReader::OpenFile(file.string(), {}, error);
    if (!reader) return false;
    std::vector<std::uint32_t> frame(std::size_t(kFrameWidth) * kFrameHeight);
    GstPullResult result;
    while ((result = reader->PullFrame(frame)) == GstPullResult::kFrame)
        clip.frames.push_back(frame);
    if (result == GstPullResult::kError) error = reader->Error();
    return result == GstPullResult::kEndOfStream && !clip.frames.empty();
}
