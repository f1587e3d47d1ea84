// The 'chan' block: the camera and its control values read back as written,
// and every damaged, truncated or foreign block read as no settings.
#include "video/capture.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

const ChannelSettings kCamera{"/dev/v4l/by-id/usb-Webcam-video-index0",
                              {{0x00980900u, 128}, {0x009a0901u, -3}, {0xFFFFFFFFu, INT32_MIN}}};

} // namespace

TEST(ChannelSettings, ReadBackAsWritten) {
    for (const ChannelSettings& written : {kCamera, ChannelSettings{}, ChannelSettings{"x", {}}}) {
        const Bytes block = FlattenChannelSettings(written);
        const std::optional<ChannelSettings> read = UnflattenChannelSettings(block);
        ASSERT_TRUE(read) << written.deviceId;
        EXPECT_EQ(read->deviceId, written.deviceId);
        EXPECT_EQ(read->controls, written.controls);
        EXPECT_EQ(FlattenChannelSettings(*read), block);
    }
}

TEST(ChannelSettings, DamagedBlocksReadAsNoSettings) {
    const Bytes good = FlattenChannelSettings(kCamera);
    const std::size_t countAt = 8 + kCamera.deviceId.size();
    auto changed = [&](std::size_t at, std::uint8_t value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    Bytes longer = good;
    longer.push_back(0);
    Bytes tooManyControls = changed(countAt, 0x01); // 257 controls, all present
    tooManyControls[countAt + 1] = 0x01;
    tooManyControls.resize(countAt + 2 + 257 * 8);
    Bytes longId = {'K', 'X', 'c', 'h', 0, 1, 0x10, 0x01}; // 4097 bytes, all present
    longId.resize(longId.size() + 4097 + 2, 'a');
    longId.back() = 0;
    longId[longId.size() - 2] = 0;

    const struct {
        const char* name;
        Bytes block;
    } cases[] = {
        // Blocks cut short anywhere are tried below.
        {"another program's block", changed(1, 'C')},
        {"newer version", changed(5, 2)},
        {"fewer controls than bytes", changed(countAt + 1, 2)},
        {"a byte after the controls", longer},
        {"too many controls", tooManyControls},
        {"identifier too long", longId},
    };
    for (const auto& c : cases) EXPECT_FALSE(UnflattenChannelSettings(c.block)) << c.name;
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(UnflattenChannelSettings(std::span(good).first(size))) << "cut at " << size;
}
