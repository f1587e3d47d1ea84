// The GStreamer frame reader under the video files: the pixel layout it
// hands out, the end of a stream and what it refuses.
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

TEST(GstFrameReader, ReportsABadSourceAMissingFileAndATooSmallBuffer) {
    std::string error;
    EXPECT_EQ(GstFrameReader::OpenSource("nosuchsourceelement", {}, error), nullptr);
    EXPECT_NE(error.find("nosuchsourceelement"), std::string::npos) << error;
    error.clear();
    EXPECT_EQ(GstFrameReader::OpenFile("/nonexistent/kestrix/picture.png", {}, error), nullptr);
    EXPECT_EQ(error, "file not found");

    auto reader = GstFrameReader::OpenSource("videotestsrc num-buffers=1", {}, error);
    ASSERT_NE(reader, nullptr) << error;
    std::vector<std::uint32_t> small(kFrameWidth * 10);
    EXPECT_EQ(reader->PullFrame(small), GstPullResult::kError);
    EXPECT_NE(reader->Error(), "");

    // A pipeline that stops working (here every buffer is dropped) has ended
    // once it shows no sign of work for the stall timeout.
    GstFrameReaderOptions options;
    options.stallTimeout = std::chrono::milliseconds(500);
    auto stuck = GstFrameReader::OpenSource("videotestsrc ! valve drop=true", options, error);
    ASSERT_NE(stuck, nullptr) << error;
    std::vector<std::uint32_t> frame(kFrameWidth * kFrameHeight);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(stuck->PullFrame(frame), GstPullResult::kEndOfStream);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}
