// The GStreamer frame reader under the video files: the pixel layout it
// hands out and the end of a stream. (Sources that fail or stall are
// kestrix-scan's tests.)
#include "video/gst_frames.h"

#include <gtest/gtest.h>

#include <vector>

TEST(GstFrameReader, HandsOutOpaqueRgbStretchedTo640x480AtTheRowLengthUntilTheEnd) {
    std::string error;
    auto reader = GstFrameReader::OpenSource(
        "videotestsrc pattern=red num-buffers=2 ! video/x-raw,width=320,height=200", {}, error);
    ASSERT_NE(reader, nullptr) << error;
    constexpr std::size_t kRowPixels = kFrameWidth + 16;
    std::vector<std::uint32_t> pixels(kRowPixels * kFrameHeight, 0);
    ASSERT_EQ(reader->PullFrame(pixels, kRowPixels), GstPullResult::kFrame) << reader->Error();
    for (std::size_t at : {std::size_t(0), 240 * kRowPixels + 320,
                           (kFrameHeight - 1) * kRowPixels + kFrameWidth - 1}) {
        const std::uint32_t v = pixels[at];
        EXPECT_EQ(v >> 24, 0xFFu);
        EXPECT_NEAR(int(v >> 16) & 0xFF, 255, 8); // colour conversion may round a little
        EXPECT_NEAR(int(v >> 8) & 0xFF, 0, 8);
        EXPECT_NEAR(int(v) & 0xFF, 0, 8);
    }
    EXPECT_EQ(pixels[kRowPixels + kFrameWidth], 0u); // the gap between rows is left alone
    EXPECT_EQ(reader->PullFrame(pixels, kRowPixels), GstPullResult::kFrame);
    EXPECT_EQ(reader->PullFrame(pixels, kRowPixels), GstPullResult::kEndOfStream);
    EXPECT_EQ(reader->Error(), "");
}
