// Snapshots: the first free "Kestrix Image N.png" on the Desktop, the PNG
// read back, and without a Desktop the pictures or the home folder. The beep: silent without a
// file, never in the way.
#include "tests/video/live_harness.h"

#include "tests/support/temp_config_home.h"
#include "video/cairo_ptr.h"
#include "video/live_video.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(Export, WritesTheFirstFreeNumberAsA640x480PngOnTheUsersDesktop) {
    TempConfigHome home; // also $HOME here
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", home.path.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path / "config").c_str(), 1);
    unsetenv("XDG_DESKTOP_DIR");
    unsetenv("XDG_PICTURES_DIR");
    LiveHarness live;

    // No Desktop folder: the pictures folder, else the home folder.
    fs::path written;
    ASSERT_EQ(VideoExportFrame(live.Instance(), &written), noErr);
    EXPECT_EQ(written, home.path / "Kestrix Image 1.png");
    fs::create_directories(home.path / "Pictures");
    ASSERT_EQ(VideoExportFrame(live.Instance(), &written), noErr);
    EXPECT_EQ(written, home.path / "Pictures" / "Kestrix Image 1.png");

    const fs::path desktop = home.path / "Desktop";
    fs::create_directories(desktop);
    std::ofstream(desktop / "Kestrix Image 1.png") << "taken";
    std::ofstream(desktop / "Kestrix Image 3.png") << "taken";
    for (int x = 0; x < kFrameWidth; ++x) live.Pixel(x, 100) = 0xFF123456u;
    ASSERT_EQ(VideoExportFrame(live.Instance(), &written), noErr);
    EXPECT_EQ(written, desktop / "Kestrix Image 2.png");
    EXPECT_EQ(fs::file_size(desktop / "Kestrix Image 3.png"), 5u); // untouched

    cairo::SurfacePtr png(cairo_image_surface_create_from_png(written.c_str()));
    ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png.get()), kFrameWidth);
    EXPECT_EQ(cairo_image_surface_get_height(png.get()), kFrameHeight);
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        cairo_image_surface_get_data(png.get()) + 100 * cairo_image_surface_get_stride(png.get()));
    EXPECT_EQ(row[0] & 0xFFFFFFu, 0x123456u);
    EXPECT_EQ(row[639] & 0xFFFFFFu, 0x123456u);
    ASSERT_EQ(VideoExportFrame(live.Instance()), noErr);
    EXPECT_TRUE(fs::exists(desktop / "Kestrix Image 4.png"));

    // The Desktop that the user's folder settings name.
    fs::create_directories(home.path / "config");
    fs::create_directories(home.path / "Schreibtisch");
    std::ofstream(home.path / "config" / "user-dirs.dirs")
        << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
    ASSERT_EQ(VideoExportFrame(live.Instance()), noErr);
    EXPECT_TRUE(fs::exists(home.path / "Schreibtisch" / "Kestrix Image 1.png"));
    setenv("HOME", savedHome.c_str(), 1);
}

TEST(Sound, AMissingSoundIsSilentAndTheBeepNeverWaits) {
    EXPECT_EQ(AppGetMovieFromBundle("NoSuchSound"), nullptr);
    AppPlayMovieAsync(nullptr);
    AppDisposeMovie(nullptr);
    Movie* beep = AppGetMovieFromBundle("Beep");
    ASSERT_NE(beep, nullptr);
    AppPlayMovieAsync(beep); // here there may be no audio device at all
    AppPlayMovieAsync(beep);
    AppDisposeMovie(beep);
}
