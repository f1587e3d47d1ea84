// The camera's mode and the 'chan' block that stores it.
#include "video/capture.h"
#include "video/gst_capture.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(Capture, CameraModeIsTheSmallestAtLeast640x480ThenFastestThenMjpeg) {
    const struct {
        std::vector<CameraMode> modes;
        CameraMode expected;
    } cases[] = {
        // A typical webcam: raw 640x480 only at 10 a second, MJPEG at 30.
        {{{false, 1280, 720, 10, 1},
          {false, 640, 480, 10, 1},
          {true, 640, 480, 30, 1},
          {true, 1920, 1080, 30, 1}},
         {true, 640, 480, 30, 1}},
        // Only smaller modes: the largest of them.
        {{{false, 320, 240, 30, 1}, {false, 352, 288, 30, 1}}, {false, 352, 288, 30, 1}},
        // More than 30 a second is worth nothing to a 30 Hz loop.
        {{{false, 800, 600, 60, 1}, {true, 800, 600, 30, 1}}, {true, 800, 600, 30, 1}},
    };
    for (const auto& [modes, expected] : cases) {
        const auto chosen = ChooseCameraMode(modes);
        ASSERT_TRUE(chosen);
        EXPECT_EQ(std::tie(chosen->jpeg, chosen->width, chosen->fpsNumerator),
                  std::tie(expected.jpeg, expected.width, expected.fpsNumerator));
    }
    EXPECT_FALSE(ChooseCameraMode({}));
}

TEST(Capture, ChannelSettingsReadBackAsWrittenAndDamagedAsNone) {
    using Bytes = std::vector<std::uint8_t>;
    const ChannelSettings camera{"/dev/v4l/by-id/usb-Webcam-video-index0",
                                 {{0x00980900u, 128}, {0x009a0901u, -3}, {0xFFFFFFFFu, INT32_MIN}}};
    for (const ChannelSettings& written : {camera, ChannelSettings{}}) {
        const auto read = UnflattenChannelSettings(FlattenChannelSettings(written));
        ASSERT_TRUE(read) << written.deviceId;
        EXPECT_EQ(read->deviceId, written.deviceId);
        EXPECT_EQ(read->controls, written.controls);
    }

    const Bytes good = FlattenChannelSettings(camera);
    const std::size_t countAt = 8 + camera.deviceId.size();
    auto changed = [&](std::size_t at, std::uint8_t value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    Bytes tooManyControls = changed(countAt, 0x01); // 257 controls, all present
    tooManyControls[countAt + 1] = 0x01;
    tooManyControls.resize(countAt + 2 + 257 * 8);
    Bytes longId = {'K', 'X', 'c', 'h', 0, 1, 0x10, 0x01}; // 4097 bytes, all present
    longId.resize(longId.size() + 4097, 'a');
    longId.resize(longId.size() + 2, 0); // no controls
    const std::pair<const char*, Bytes> cases[] = {
        {"another program's block", changed(1, 'C')},
        {"newer version", changed(5, 2)},
        {"fewer controls than bytes", changed(countAt + 1, 2)},
        {"too many controls", tooManyControls},
        {"identifier too long", longId},
    };
    for (const auto& [name, block] : cases) EXPECT_FALSE(UnflattenChannelSettings(block)) << name;
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(UnflattenChannelSettings(std::span(good).first(size))) << "cut at " << size;
}
