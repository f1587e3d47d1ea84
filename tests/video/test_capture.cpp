// Real GStreamer capture: libzint-drawn frames played by multifilesrc
// through the capture pipeline into VideoScan, and sources that end, fail
// or never start.
#include "tests/video/live_harness.h"

#include "tests/support/media.h"
#include "tests/support/render_barcode.h"
#include "tests/support/temp_config_home.h"
#include "video/gst_capture.h"

#include <zint.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(Capture, BarcodeFramesThroughGStreamerBecomeScanEvents) {
    TempConfigHome dir;
    RenderOptions look;
    look.pixelsPerModule = 3.0;
    ASSERT_EQ(EncodePicture(Frame{}, dir.path / "picture0.png"), "");
    ASSERT_EQ(
        EncodePicture(RenderBarcode(BARCODE_EANX, "590123412345", look), dir.path / "picture1.png"),
        "");
    look.seed = 2;
    look.angleDegrees = 12;
    ASSERT_EQ(
        EncodePicture(RenderBarcode(BARCODE_EANX, "400638133393", look), dir.path / "picture2.png"),
        "");
    // The first code for 10 frames, nothing beyond the 2-second hold, the
    // second code for 10: 0000.png ... as links to the pictures, 30 a second.
    std::vector<int> sequence(10, 1);
    sequence.insert(sequence.end(), 65, 0);
    sequence.insert(sequence.end(), 10, 2);
    sequence.insert(sequence.end(), 5, 0);
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%04zu.png", i);
        fs::create_symlink(dir.path / ("picture" + std::to_string(sequence[i]) + ".png"),
                           dir.path / name);
    }
    VideoSetSourceDescription("multifilesrc location=" + (dir.path / "%04d.png").string() +
                              " caps=image/png,framerate=30/1 ! pngdec");

    LiveHarness live;
    live.FollowRealTime();
    SetInstancePreviewEnabled(live.Instance(), true);
    ASSERT_NE(live.Instance()->channel, nullptr) << VideoLastOpenError();
    live.RunUntil(TickCount() + 60 * 10, true);

    EXPECT_TRUE(VideoLastCaptureEnd().ended) << VideoLastCaptureEnd().message;
    ASSERT_EQ(live.Reads().size(), 2u);
    EXPECT_EQ(live.Reads()[0].text, "5901234123457");
    EXPECT_EQ(live.Reads()[0].symbology, "ean1"_4cc);
    EXPECT_EQ(live.Reads()[1].text, "4006381333931");
}

TEST(Capture, AnErrorOnTheBusClosesTheChannelAndPaintsNoCamera) {
    // A live source that fails after a few frames, as an unplugged camera does.
    VideoSetSourceDescription("videotestsrc is-live=true pattern=white ! identity error-after=5");
    LiveHarness live;
    live.FollowRealTime();
    SetInstancePreviewEnabled(live.Instance(), true);
    ASSERT_NE(live.Instance()->channel, nullptr) << VideoLastOpenError();
    live.RunUntil(TickCount() + 60 * 5, true);
    EXPECT_EQ(live.Instance()->channel, nullptr);
    EXPECT_TRUE(VideoLastCaptureEnd().failed);
    EXPECT_FALSE(VideoLastCaptureEnd().message.empty());
    EXPECT_EQ(live.Pixel(0, 0) & 0xFFFFFFu, 0u); // the no-camera picture
    EXPECT_EQ(live.Loop().NextFireTick(live.Instance()->idleTimer), TickCount() + 300);
}

TEST(Capture, ASourceThatCannotStartLeavesNoChannel) {
    for (const char* source : {"filesrc location=/nonexistent/clip.avi ! decodebin",
                               "no_such_element_kestrix", "videotestsrc ! "}) {
        VideoSetSourceDescription(source);
        LiveHarness live;
        SetInstancePreviewEnabled(live.Instance(), true);
        EXPECT_EQ(live.Instance()->channel, nullptr) << source;
        EXPECT_FALSE(VideoLastOpenError().empty()) << source;
        EXPECT_NE(live.Instance()->idleTimer, nullptr);
    }
}

TEST(Capture, CameraModeIsTheSmallestAtLeast640x480ThenFastestThenMjpeg) {
    struct Case {
        std::vector<CameraMode> modes;
        CameraMode expected;
    };
    const Case cases[] = {
        // A typical webcam: raw 640x480 only at 10 a second, MJPEG at 30.
        {{{false, 1280, 720, 10, 1},
          {false, 640, 480, 10, 1},
          {true, 640, 480, 30, 1},
          {true, 1920, 1080, 30, 1}},
         {true, 640, 480, 30, 1}},
        // Both at 30: the same rate either way, MJPEG saves the bandwidth.
        {{{false, 640, 480, 30, 1}, {true, 640, 480, 30, 1}}, {true, 640, 480, 30, 1}},
        // Only smaller modes: the largest of them.
        {{{false, 320, 240, 30, 1}, {false, 352, 288, 30, 1}}, {false, 352, 288, 30, 1}},
        // More than 30 a second is worth nothing to a 30 Hz loop.
        {{{false, 800, 600, 60, 1}, {true, 800, 600, 30, 1}}, {true, 800, 600, 30, 1}},
    };
    for (const Case& c : cases) {
        const auto chosen = ChooseCameraMode(c.modes);
        ASSERT_TRUE(chosen);
        EXPECT_EQ(chosen->jpeg, c.expected.jpeg);
        EXPECT_EQ(chosen->width, c.expected.width);
        EXPECT_EQ(chosen->fpsNumerator, c.expected.fpsNumerator);
    }
    EXPECT_FALSE(ChooseCameraMode({}));
    EXPECT_NE(CameraPipelineTail(CameraMode{true, 640, 480, 30, 1}).find("jpegdec"),
              std::string::npos);
}
