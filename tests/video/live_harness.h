// The live scanner's test harness: a scanner instance on the real video
// layer, driven by a manual event loop on the tick clock, with a scripted
// camera in place of GStreamer when a test wants one. Collects the Scan
// events and the view's redraw requests.
#pragma once

#include "engine/dispatch.h"
#include "engine/scanner_instance.h"
#include "tests/support/frame.h"
#include "tests/support/scan_event.h"
#include "toolbox/event_loop.h"
#include "toolbox/events.h"
#include "video/capture.h"
#include "video/live_video.h"

#include <deque>
#include <string>
#include <vector>

// A camera that delivers the frames queued in it, one per idle call, and
// can be unplugged and plugged in again.
struct FakeCamera final : CaptureService {
    bool present = true;       // OpenChannel succeeds
    bool failNext = false;     // the open channel reports a failure on its next idle
    int opens = 0;             // channels opened
    int openChannels = 0;      // channels alive now
    std::deque<Frame> pending; // frames not yet delivered

    std::unique_ptr<CaptureChannel> OpenChannel(const std::string& preferredId,
                                                std::string& error) override;
};

class LiveHarness {
  public:
    // camera null: the GStreamer service with the source description set by
    // the test. The clock starts at 1000 and the loop waits by setting it.
    explicit LiveHarness(CaptureService* camera = nullptr);
    ~LiveHarness();
    LiveHarness(const LiveHarness&) = delete;
    LiveHarness& operator=(const LiveHarness&) = delete;

    ScannerInstance* Instance() { return instance_.get(); }
    ManualEventLoop& Loop() { return loop_; }
    std::uint32_t& Pixel(int x, int y);
    const std::vector<ScanRead>& Reads() const { return reads_; }
    int Redraws() const;

    // Lets the loop keep pace with the real clock (for sources that play at
    // their own rate).
    void FollowRealTime();
    // Runs the loop until a tick after end, or until capture has closed
    // because the source ended or failed.
    void RunUntil(Ticks end, bool stopWhenClosed = false);

  private:
    EventTarget target_;
    ManualEventLoop loop_;
    InstancePtr instance_;
    std::vector<ScanRead> reads_;
};
