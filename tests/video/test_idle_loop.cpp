// The capture loop on a scripted camera and the manual clock.
#include "tests/video/live_harness.h"

#include "toolbox/alerts.h"

#include <gtest/gtest.h>

const Frame kGrey(kFrameWidth, kFrameHeight, GreyWord(128));

TEST(IdleLoop, OneTimerAt30ASecondScansEachNewFrameOnly) {
    FakeCamera camera;
    LiveHarness live(&camera);
    ScannerInstance* in = live.Instance();
    SetInstancePreviewEnabled(in, false); // never enabled: closes nothing
    EXPECT_EQ(in->idleTimer, nullptr);
    for (int i = 0; i < 3; ++i) SetInstancePreviewEnabled(in, true);
    EXPECT_EQ(live.Loop().TimerCount(), 1u);
    EXPECT_EQ(camera.opens, 1);

    // A new frame is scanned (the next laser pattern) and redrawn; no frame
    // pending, or the marker still in the frame, is no frame.
    const Frame marker(kFrameWidth, kFrameHeight, kFrameReadyMarker);
    const struct {
        const Frame* delivered;
        int redraws;
    } steps[] = {{&kGrey, 1}, {nullptr, 1}, {&marker, 1}, {&kGrey, 2}};
    for (const auto& [delivered, redraws] : steps) {
        const std::int32_t pattern = in->patternIndex;
        if (delivered) camera.pending.push_back(*delivered);
        live.Loop().RunOnce();
        EXPECT_EQ(LiveHarness::redraws, redraws);
        EXPECT_EQ(in->patternIndex != pattern, delivered == &kGrey) << redraws;
        if (!delivered) {
            EXPECT_NE(live.Pixel(0, 0), kFrameReadyMarker); // the picture left whole
        }
        EXPECT_EQ(live.Loop().NextFireTick(in->idleTimer), TickCount() + 2);
    }

    SetInstancePreviewEnabled(in, false);
    EXPECT_EQ(live.Loop().TimerCount(), 0u);
    EXPECT_EQ(in->idleTimer, nullptr);
    EXPECT_EQ(in->channel, nullptr);
    EXPECT_EQ(camera.openChannels, 0);
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
    EXPECT_EQ(LiveHarness::redraws, 2);
    EXPECT_EQ(live.Loop().NextFireTick(in->idleTimer), attempt + 600);

    live.Loop().RunOnce(); // 600 ticks: the camera opens, back to 30 a second
    ASSERT_NE(in->channel, nullptr);
    EXPECT_EQ(camera.opens, 1);
    EXPECT_EQ(live.Loop().NextFireTick(in->idleTimer), attempt + 602);

    // Unplugged while live: closed, the no-camera picture (black), and the
    // slow retries until it is back.
    camera.pending.push_back(kGrey);
    live.Loop().RunOnce();
    camera.failNext = true;
    camera.present = false;
    live.Loop().RunOnce();
    EXPECT_EQ(in->channel, nullptr);
    EXPECT_EQ(camera.openChannels, 0);
    EXPECT_TRUE(VideoLastCaptureEnd().failed);
    EXPECT_EQ(live.Pixel(0, 0) & 0xFFFFFFu, 0u);
    EXPECT_EQ(live.Loop().NextFireTick(in->idleTimer), TickCount() + 300);
    camera.present = true;
    live.Loop().RunUntil(TickCount() + 700);
    ASSERT_NE(in->channel, nullptr);
    EXPECT_EQ(camera.opens, 2);
    EXPECT_EQ(camera.openChannels, 1);
}

// The camera's settings dialog runs the loop inside it: a tick meanwhile
// neither scans nor redraws. Without a camera it is a caution alert.
TEST(IdleLoop, TicksDuringTheSettingsDialogDoNothing) {
    FakeCamera camera;
    LiveHarness live(&camera);
    static ManualEventLoop* loop = &live.Loop();
    static int alerted = 0, redrawsInDialog = -1;
    AppSetAlertPresenter(
        [](std::int16_t type, const std::string&, const std::string&) { alerted = type; });
    VideoSettingsDialog(live.Instance());
    AppSetAlertPresenter(nullptr);
    EXPECT_EQ(alerted, 2);

    SetInstancePreviewEnabled(live.Instance(), true);
    VideoSetSettingsDialogProc([](ScannerInstance*) {
        loop->RunOnce();
        redrawsInDialog = LiveHarness::redraws;
    });
    camera.pending.push_back(kGrey);
    VideoSettingsDialog(live.Instance());
    VideoSetSettingsDialogProc(nullptr);
    EXPECT_EQ(redrawsInDialog, 0);
    live.Loop().RunOnce();
    EXPECT_EQ(LiveHarness::redraws, 1);
}
