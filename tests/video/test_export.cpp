// Snapshots and the beep.
#include "tests/video/live_harness.h"

#include "tests/support/temp_config_home.h"
#include "video/cairo_ptr.h"

#include <gst/base/gstbasesink.h>
#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

using Export = LiveHarness;

TEST_F(Export, WritesTheFirstFreeNumberAsA640x480PngOnTheUsersDesktop) {
    TempConfigHome home; // also $HOME here
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", home.path.c_str(), 1);
    unsetenv("XDG_DESKTOP_DIR");
    unsetenv("XDG_PICTURES_DIR");
    for (int x = 0; x < kFrameWidth; ++x) Pixel(x, 100) = 0xFF123456u;
    auto exported = [&] {
        fs::path written;
        EXPECT_EQ(VideoExportFrame(in, &written), noErr);
        return written;
    };

    // No Desktop folder: the pictures folder, else the home folder.
    EXPECT_EQ(exported(), home.path / "Kestrix Image 1.png");
    fs::create_directories(home.path / "Pictures");
    EXPECT_EQ(exported(), home.path / "Pictures" / "Kestrix Image 1.png");
    const fs::path desktop = home.path / "Desktop";
    fs::create_directories(desktop);
    std::ofstream(desktop / "Kestrix Image 1.png") << "taken";
    std::ofstream(desktop / "Kestrix Image 3.png") << "taken";
    EXPECT_EQ(exported(), desktop / "Kestrix Image 2.png");
    EXPECT_EQ(exported(), desktop / "Kestrix Image 4.png");
    EXPECT_EQ(fs::file_size(desktop / "Kestrix Image 3.png"), 5u); // untouched

    setenv("HOME", savedHome.c_str(), 1);

    // The frame as it was, read back.
    cairo::SurfacePtr png(
        cairo_image_surface_create_from_png((desktop / "Kestrix Image 2.png").c_str()));
    ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png.get()), kFrameWidth);
    EXPECT_EQ(cairo_image_surface_get_height(png.get()), kFrameHeight);
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        cairo_image_surface_get_data(png.get()) + 100 * cairo_image_surface_get_stride(png.get()));
    EXPECT_EQ(row[0] & 0xFFFFFFu, 0x123456u);
    EXPECT_EQ(row[kFrameWidth - 1] & 0xFFFFFFu, 0x123456u);
}

namespace {

// An audio device that takes 1.5 seconds to open and counts the buffers it
// plays: ranked above every real one, so the beep's player (autoaudiosink)
// takes it.
std::atomic<int> played{0};

GType SlowAudioSink() {
    return g_type_register_static_simple(
        GST_TYPE_BASE_SINK, "KestrixSlowSink", sizeof(GstBaseSinkClass),
        [](gpointer type, gpointer) {
            static GstStaticPadTemplate pad =
                GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);
            auto* element = GST_ELEMENT_CLASS(type);
            gst_element_class_add_static_pad_template(element, &pad);
            gst_element_class_set_static_metadata(element, "Slow audio device", "Sink/Audio",
                                                  "Opens slowly, plays nothing", "Kestrix");
            GST_BASE_SINK_CLASS(type)->start = [](GstBaseSink*) -> gboolean {
                g_usleep(1'500'000);
                return TRUE;
            };
            GST_BASE_SINK_CLASS(type)->render = [](GstBaseSink*, GstBuffer*) {
                ++played;
                return GST_FLOW_OK;
            };
        },
        sizeof(GstBaseSink), nullptr, GTypeFlags(0));
}

} // namespace

TEST(Sound, AMissingSoundIsSilentAndTheBeepNeverWaitsForTheDevice) {
    EXPECT_EQ(AppGetMovieFromBundle("NoSuchSound"), nullptr);
    AppPlayMovieAsync(nullptr);
    AppDisposeMovie(nullptr);

    gst_init(nullptr, nullptr);
    ASSERT_TRUE(
        gst_element_register(nullptr, "kestrixslowsink", GST_RANK_PRIMARY + 100, SlowAudioSink()));
    Movie* beep = AppGetMovieFromBundle("Beep");
    ASSERT_NE(beep, nullptr);
    for (int i = 0; i < 2; ++i) { // the first beep opens the device, the second plays meanwhile
        const auto start = std::chrono::steady_clock::now();
        AppPlayMovieAsync(beep);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    }
    EXPECT_EQ(played, 0); // the device is still opening: the calls did not wait for it
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (played == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(played, 0); // and then the beep played
    AppDisposeMovie(beep);
}
