// The capture loop's states on a scripted camera and the manual clock:
// stopped, waiting for a camera, live, in the settings dialog.
#include "tests/video/live_harness.h"

#include "toolbox/alerts.h"

#include <gtest/gtest.h>

namespace {

Frame Filled(std::uint32_t pixel) {
    Frame frame;
    std::fill(frame.pixels.begin(), frame.pixels.end(), pixel);
    return frame;
}

} // namespace

TEST(IdleLoop, OneTimerHoweverOftenThePreviewIsEnabled) {
    FakeCamera camera;
    LiveHarness live(&camera);
    ScannerInstance* in = live.Instance();
    SetInstancePreviewEnabled(in, false); // never enabled: closes nothing
    EXPECT_EQ(in->idleTimer, nullptr);
    for (int i = 0; i < 3; ++i) SetInstancePreviewEnabled(in, true);
    EXPECT_EQ(live.Loop().TimerCount(), 1u);
    EXPECT_EQ(camera.opens, 1);
    SetInstancePreviewEnabled(in, false);
    EXPECT_EQ(live.Loop().TimerCount(), 0u);
    EXPECT_EQ(in->idleTimer, nullptr);
    EXPECT_EQ(in->channel, nullptr);
    EXPECT_EQ(camera.openChannels, 0);
}

TEST(IdleLoop, LiveFramesAreScannedAndTheMarkerFrameIsSkipped) {
    FakeCamera camera;
    LiveHarness live(&camera);
    ScannerInstance* in = live.Instance();
    SetInstancePreviewEnabled(in, true);
    ASSERT_NE(in->channel, nullptr);

    camera.pending.push_back(Filled(0xFF808080u));
    live.Loop().RunOnce();
    EXPECT_EQ(live.Redraws(), 1);
    const std::int32_t pattern = in->patternIndex;
    EXPECT_EQ(live.Loop().NextFireTick(in->idleTimer), TickCount() + 2); // 30 a second

    live.Loop().RunOnce(); // nothing pending: no scan, no redraw, the picture whole
    EXPECT_EQ(live.Redraws(), 1);
    EXPECT_EQ(in->patternIndex, pattern);
    EXPECT_NE(live.Pixel(0, 0), kFrameReadyMarker);

    camera.pending.push_back(Filled(kFrameReadyMarker)); // taken for no frame
    live.Loop().RunOnce();
    EXPECT_EQ(live.Redraws(), 1);
    EXPECT_EQ(in->patternIndex, pattern);

    camera.pending.push_back(Filled(0xFF808080u));
    live.Loop().RunOnce();
    EXPECT_EQ(live.Redraws(), 2);
    EXPECT_NE(in->patternIndex, pattern);
}

TEST(IdleLoop, WithoutACameraRetriesOnlyAfterMoreThan300Ticks) {
    FakeCamera camera;
    camera.present = false;
    LiveHarness live(&camera);
    ScannerInstance* in = live.Instance();
    SetInstancePreviewEnabled(in, true);
    EXPECT_NE(in->idleTimer, nullptr); // installed without a camera too
    live.Loop().RunOnce();             // first fire at once: a retry, then the slow timer
    const Ticks attempt = in->lastOpenAttemptTick;
    EXPECT_EQ(attempt, TickCount());
    EXPECT_EQ(live.Loop().NextFireTick(in->idleTimer), attempt + 300);

    camera.present = true;
    live.Loop().RunOnce(); // exactly 300 ticks later: no retry, but a redraw
    EXPECT_EQ(in->channel, nullptr);
    EXPECT_EQ(in->lastOpenAttemptTick, attempt);
    EXPECT_EQ(live.Redraws(), 2);
    EXPECT_EQ(live.Loop().NextFireTick(in->idleTimer), attempt + 600);

    live.Loop().RunOnce(); // 600 ticks: the camera opens, back to 30 a second
    ASSERT_NE(in->channel, nullptr);
    EXPECT_EQ(camera.opens, 1);
    EXPECT_EQ(live.Loop().NextFireTick(in->idleTimer), attempt + 602);
}

TEST(IdleLoop, ACameraThatFailsClosesAndComesBackOnRetry) {
    FakeCamera camera;
    LiveHarness live(&camera);
    ScannerInstance* in = live.Instance();
    SetInstancePreviewEnabled(in, true);
    camera.pending.push_back(Filled(0xFF808080u));
    live.Loop().RunOnce();

    camera.failNext = true;
    camera.present = false;
    live.Loop().RunOnce();
    EXPECT_EQ(in->channel, nullptr);
    EXPECT_EQ(camera.openChannels, 0);
    EXPECT_TRUE(VideoLastCaptureEnd().failed);
    EXPECT_EQ(live.Pixel(0, 0) & 0xFFFFFFu, 0u); // the no-camera picture: black
    EXPECT_EQ(live.Loop().NextFireTick(in->idleTimer), TickCount() + 300);

    camera.present = true;
    live.RunUntil(TickCount() + 700);
    ASSERT_NE(in->channel, nullptr);
    EXPECT_EQ(camera.opens, 2);
    EXPECT_EQ(camera.openChannels, 1);
}

TEST(IdleLoop, TicksDuringTheSettingsDialogDoNothing) {
    FakeCamera camera;
    LiveHarness live(&camera);
    ScannerInstance* in = live.Instance();

    static std::string alerted;
    AppSetAlertPresenter([](std::int16_t type, const std::string& message, const std::string&) {
        alerted = std::to_string(type) + " " + message;
    });
    VideoSettingsDialog(in); // no camera yet: the caution alert
    EXPECT_EQ(alerted.substr(0, 2), "2 ");
    AppSetAlertPresenter(nullptr);

    SetInstancePreviewEnabled(in, true);
    static LiveHarness* current = &live;
    static int firesInDialog = 0;
    VideoSetSettingsDialogProc([](ScannerInstance* instance) {
        EXPECT_TRUE(instance->inSettingsDialog);
        current->Loop().RunOnce();
        firesInDialog = current->Redraws();
    });
    camera.pending.push_back(Filled(0xFF808080u));
    VideoSettingsDialog(in);
    VideoSetSettingsDialogProc(nullptr);
    EXPECT_EQ(firesInDialog, 0);
    EXPECT_FALSE(in->inSettingsDialog);
    live.Loop().RunOnce();
    EXPECT_EQ(live.Redraws(), 1);
}
