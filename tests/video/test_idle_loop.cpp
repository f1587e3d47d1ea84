// The capture loop on a scripted camera and the manual clock.
#include "tests/video/live_harness.h"

#include "toolbox/alerts.h"

const Frame kGrey(kFrameWidth, kFrameHeight, GreyWord(128));

using IdleLoop = LiveHarness;

TEST_F(IdleLoop, OneTimerAt30ASecondScansEachNewFrameOnly) {
    SetInstancePreviewEnabled(in, false); // never enabled: closes nothing
    EXPECT_EQ(in->idleTimer, nullptr);
    for (int i = 0; i < 3; ++i) SetInstancePreviewEnabled(in, true);
    EXPECT_EQ(loop.TimerCount(), 1u);
    EXPECT_EQ(camera.opens, 1);

    // A new frame is scanned (the next laser pattern) and redrawn; no frame
    // pending, or the marker still in the frame, is no frame.
    const Frame marker(kFrameWidth, kFrameHeight, kFrameReadyMarker);
    const struct {
        const Frame* delivered;
        int redrawn;
    } steps[] = {{&kGrey, 1}, {nullptr, 1}, {&marker, 1}, {&kGrey, 2}};
    for (const auto& [delivered, redrawn] : steps) {
        const std::int32_t pattern = in->patternIndex;
        if (delivered) camera.pending.push_back(*delivered);
        loop.RunOnce();
        EXPECT_EQ(redraws, redrawn);
        EXPECT_EQ(in->patternIndex != pattern, delivered == &kGrey) << redrawn;
        if (!delivered) {
            EXPECT_NE(Pixel(0, 0), kFrameReadyMarker); // the picture left whole
        }
        EXPECT_EQ(loop.NextFireTick(in->idleTimer), TickCount() + 2);
    }

    SetInstancePreviewEnabled(in, false);
    EXPECT_EQ(loop.TimerCount(), 0u);
    EXPECT_EQ(in->idleTimer, nullptr);
    EXPECT_EQ(in->channel, nullptr);
    EXPECT_EQ(camera.openChannels, 0);
}

TEST_F(IdleLoop, WithoutACameraRetriesOnlyAfterMoreThan300Ticks) {
    camera.present = false;
    SetInstancePreviewEnabled(in, true);
    EXPECT_NE(in->idleTimer, nullptr); // installed without a camera too
    loop.RunOnce();                    // first fire at once: a retry, then the slow timer
    const Ticks attempt = in->lastOpenAttemptTick;
    EXPECT_EQ(attempt, TickCount());
    EXPECT_EQ(loop.NextFireTick(in->idleTimer), attempt + 300);

    camera.present = true;
    loop.RunOnce(); // exactly 300 ticks later: no retry, but a redraw
    EXPECT_EQ(in->channel, nullptr);
    EXPECT_EQ(in->lastOpenAttemptTick, attempt);
    EXPECT_EQ(redraws, 2);
    EXPECT_EQ(loop.NextFireTick(in->idleTimer), attempt + 600);

    loop.RunOnce(); // 600 ticks: the camera opens, back to 30 a second
    ASSERT_NE(in->channel, nullptr);
    EXPECT_EQ(camera.opens, 1);
    EXPECT_EQ(loop.NextFireTick(in->idleTimer), attempt + 602);

    // Unplugged while live: closed, the no-camera picture (black), and the
    // slow retries until it is back.
    camera.pending.push_back(kGrey);
    loop.RunOnce();
    camera.failNext = true;
    camera.present = false;
    loop.RunOnce();
    EXPECT_EQ(in->channel, nullptr);
    EXPECT_EQ(camera.openChannels, 0);
    EXPECT_TRUE(VideoLastCaptureEnd().failed);
    EXPECT_EQ(Pixel(0, 0) & 0xFFFFFFu, 0u);
    EXPECT_EQ(loop.NextFireTick(in->idleTimer), TickCount() + 300);
    camera.present = true;
    loop.RunUntil(TickCount() + 700);
    ASSERT_NE(in->channel, nullptr);
    EXPECT_EQ(camera.opens, 2);
    EXPECT_EQ(camera.openChannels, 1);
}

// The camera's settings dialog runs the loop inside it: a tick meanwhile
// neither scans nor redraws. Without a camera it is a caution alert.
TEST_F(IdleLoop, TicksDuringTheSettingsDialogDoNothing) {
    static ManualEventLoop* running = &loop;
    static int alerted = 0, redrawsInDialog = -1;
    AppSetAlertPresenter(
        [](std::int16_t type, const std::string&, const std::string&) { alerted = type; });
    VideoSettingsDialog(in);
    AppSetAlertPresenter(nullptr);
    EXPECT_EQ(alerted, 2);

    SetInstancePreviewEnabled(in, true);
    VideoSetSettingsDialogProc([](ScannerInstance*) {
        running->RunOnce();
        redrawsInDialog = redraws;
    });
    camera.pending.push_back(kGrey);
    VideoSettingsDialog(in);
    VideoSetSettingsDialogProc(nullptr);
    EXPECT_EQ(redrawsInDialog, 0);
    loop.RunOnce();
    EXPECT_EQ(redraws, 1);
}
