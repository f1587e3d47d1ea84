// The live scanner's test fixture: a scanner instance on the real video
// layer, driven by a manual event loop on the tick clock (it starts at
// 1000), with a scripted camera in place of GStreamer. Counts the view's
// redraw requests.
#pragma once

#include "engine/scanner_instance.h"
#include "tests/support/frame.h"
#include "toolbox/event_loop.h"
#include "toolbox/events.h"
#include "video/capture.h"
#include "video/live_video.h"
#include "video/video.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>

// A camera that delivers the frames queued in it, one per idle call, and
// can be unplugged and plugged in again.
struct FakeCamera final : CaptureService {
    bool present = true;       // OpenChannel succeeds
    bool failNext = false;     // the open channel reports a failure on its next idle
    int opens = 0;             // channels opened
    int openChannels = 0;      // channels alive now
    std::deque<Frame> pending; // frames not yet delivered

    struct Channel final : CaptureChannel {
        explicit Channel(FakeCamera& c) : camera(c) { ++camera.openChannels; }
        ~Channel() override { --camera.openChannels; }

        CaptureIdleResult Idle(std::span<std::uint32_t> frame, std::size_t rowPixels) override {
            failed = failed || std::exchange(camera.failNext, false);
            if (failed) return CaptureIdleResult::kFailed;
            if (camera.pending.empty()) return CaptureIdleResult::kNoFrame;
            for (int y = 0; y < kFrameHeight; ++y)
                std::copy_n(camera.pending.front().pixels.begin() + y * kFrameWidth, kFrameWidth,
                            frame.begin() + y * rowPixels);
            camera.pending.pop_front();
            return CaptureIdleResult::kFrame;
        }
        void Stop() override {}
        void Start() override {}
        std::string DeviceId() const override { return "/dev/v4l/by-id/fake-camera"; }
        CameraControls* Controls() override { return nullptr; }
        std::string Error() const override { return failed ? "unplugged" : ""; }

        FakeCamera& camera;
        bool failed = false;
    };

    std::unique_ptr<CaptureChannel> OpenChannel(const std::string&, std::string& error) override {
        if (!present) {
            error = "no camera found";
            return nullptr;
        }
        ++opens;
        return std::make_unique<Channel>(*this);
    }
};

class LiveHarness : public testing::Test {
  protected:
    LiveHarness() {
        SetTickCount(1000);
        SetCurrentEventLoop(&loop);
        VideoSetCaptureService(&camera);
        redraws = 0;
        VideoSetNeedsDisplayProc([](ScannerView*) { ++redraws; });
        instance_.reset(
            NewInstance(reinterpret_cast<ScannerView*>(0x1), &target_, LiveVideoHooks()));
        in = instance_.get();
        in->beepEnabled = false; // the beep has a test of its own
    }
    ~LiveHarness() override {
        instance_.reset();
        VideoSetNeedsDisplayProc(nullptr);
        VideoSetCaptureService(nullptr);
        SetCurrentEventLoop(nullptr);
    }
    std::uint32_t& Pixel(int x, int y) {
        return reinterpret_cast<std::uint32_t*>(in->frameBase +
                                                std::size_t(y) * std::size_t(in->frameRowBytes))[x];
    }

    static inline int redraws = 0;
    ManualEventLoop loop;
    FakeCamera camera;
    ScannerInstance* in = nullptr;

  private:
    EventTarget target_;
    InstancePtr instance_;
};
