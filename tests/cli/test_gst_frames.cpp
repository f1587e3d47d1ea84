// The GStreamer frame reader over sources other than files: the pixel
// layout it hands out, the end of a stream, a pull that does not wait and a
// source that cannot be built.
#include "video/gst_frames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

constexpr int kChannelTolerance = 8; // colour conversion may round a little

int Red(std::uint32_t v) {
    return int(v >> 16) & 0xFF;
}
int Green(std::uint32_t v) {
    return int(v >> 8) & 0xFF;
}
int Blue(std::uint32_t v) {
    return int(v) & 0xFF;
}

std::vector<std::uint32_t> FrameBuffer(std::size_t rowPixels = kFrameWidth) {
    return std::vector<std::uint32_t>(rowPixels * kFrameHeight, 0);
}

TEST(GstFrameReader, HandsOutOpaqueRgbWordsStretchedTo640x480) {
    std::string error;
    auto reader = GstFrameReader::OpenSource(
        "videotestsrc pattern=red num-buffers=2 ! video/x-raw,width=320,height=200", {}, error);
    ASSERT_NE(reader, nullptr) << error;
    auto pixels = FrameBuffer();
    ASSERT_EQ(reader->PullFrame(pixels), GstPullResult::kFrame) << reader->Error();
    for (std::uint32_t v : {pixels.front(), pixels[240 * kFrameWidth + 320], pixels.back()}) {
        EXPECT_EQ(v >> 24, 0xFFu);
        EXPECT_NEAR(Red(v), 255, kChannelTolerance);
        EXPECT_NEAR(Green(v), 0, kChannelTolerance);
        EXPECT_NEAR(Blue(v), 0, kChannelTolerance);
    }
    EXPECT_EQ(reader->PullFrame(pixels), GstPullResult::kFrame);
    EXPECT_EQ(reader->PullFrame(pixels), GstPullResult::kEndOfStream);
    EXPECT_EQ(reader->Error(), "");
}

TEST(GstFrameReader, WritesRowsAtTheGivenRowLength) {
    std::string error;
    auto reader = GstFrameReader::OpenSource("videotestsrc pattern=blue num-buffers=1", {}, error);
    ASSERT_NE(reader, nullptr) << error;
    constexpr std::size_t kRowPixels = kFrameWidth + 16;
    auto pixels = FrameBuffer(kRowPixels);
    ASSERT_EQ(reader->PullFrame(pixels, kRowPixels), GstPullResult::kFrame);
    EXPECT_NEAR(Blue(pixels[kRowPixels + kFrameWidth - 1]), 255, kChannelTolerance);
    EXPECT_EQ(pixels[kRowPixels + kFrameWidth], 0u); // the gap between rows is left alone
}

TEST(GstFrameReader, LiveSourceKeepsTheLatestFrameAndDoesNotWait) {
    std::string error;
    GstFrameReaderOptions options;
    options.delivery = GstFrameDelivery::kLatestOnly;
    auto reader = GstFrameReader::OpenSource("videotestsrc is-live=true", options, error);
    ASSERT_NE(reader, nullptr) << error;
    auto pixels = FrameBuffer();
    GstPullResult result = GstPullResult::kNoFrame;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (result == GstPullResult::kNoFrame && std::chrono::steady_clock::now() < giveUp) {
        result = reader->TryPullFrame(pixels);
        if (result == GstPullResult::kNoFrame)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(result, GstPullResult::kFrame) << reader->Error();
}

TEST(GstFrameReader, ReportsWhatIsWrongWithTheSource) {
    std::string error;
    EXPECT_EQ(GstFrameReader::OpenSource("nosuchsourceelement", {}, error), nullptr);
    EXPECT_NE(error.find("nosuchsourceelement"), std::string::npos) << error;

    error.clear();
    EXPECT_EQ(GstFrameReader::OpenFile("/nonexistent/kestrix/picture.png", {}, error), nullptr);
    EXPECT_EQ(error, "file not found");
}

TEST(GstFrameReader, RefusesAFrameBufferThatIsTooSmall) {
    std::string error;
    auto reader = GstFrameReader::OpenSource("videotestsrc num-buffers=1", {}, error);
    ASSERT_NE(reader, nullptr) << error;
    std::vector<std::uint32_t> small(kFrameWidth * 10);
    EXPECT_EQ(reader->PullFrame(small), GstPullResult::kError);
    EXPECT_NE(reader->Error(), "");
}

} // namespace
