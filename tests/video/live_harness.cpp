// The live scanner's test harness.
#include "tests/video/live_harness.h"
#include "tests/support/scan_event.h"
#include "video/live_video.h"

#include <chrono>
#include <thread>

namespace {

constexpr Ticks kStartTick = 1000;
ScannerView* const kFakeView = reinterpret_cast<ScannerView*>(0x1);
int redraws = 0;

class FakeChannel final : public CaptureChannel {
  public:
    explicit FakeChannel(FakeCamera& camera) : camera_(camera) { ++camera_.openChannels; }
    ~FakeChannel() override { --camera_.openChannels; }

    CaptureIdleResult Idle(std::span<std::uint32_t> frame, std::size_t rowPixels) override {
        if (camera_.failNext) {
            camera_.failNext = false;
            failed_ = true;
        }
        if (failed_) return CaptureIdleResult::kFailed;
        if (camera_.pending.empty()) return CaptureIdleResult::kNoFrame;
        const Frame& next = camera_.pending.front();
        for (int y = 0; y < kFrameHeight; ++y)
            std::copy_n(next.pixels.begin() + y * kFrameWidth, kFrameWidth,
                        frame.begin() + y * rowPixels);
        camera_.pending.pop_front();
        return CaptureIdleResult::kFrame;
    }
    void Stop() override {}
    void Start() override {}
    std::string DeviceId() const override { return "/dev/v4l/by-id/fake-camera"; }
    CameraControls* Controls() override { return nullptr; }
    std::string Error() const override { return failed_ ? "unplugged" : ""; }

  private:
    FakeCamera& camera_;
    bool failed_ = false;
};

} // namespace

std::unique_ptr<CaptureChannel> FakeCamera::OpenChannel(const std::string&, std::string& error) {
    if (!present) {
        error = "no camera found";
        return nullptr;
    }
    ++opens;
    return std::make_unique<FakeChannel>(*this);
}

LiveHarness::LiveHarness(CaptureService* camera) {
    const EventTypeSpec types[] = {{kEventClassKestrix, kEventKindScan}};
    InstallEventHandler(target_, types, [this](EventTarget&, Event& event) -> OSStatus {
        reads_.push_back(ReadScanEvent(event));
        return noErr;
    });
    SetTickCount(kStartTick);
    SetCurrentEventLoop(&loop_);
    VideoSetCaptureService(camera);
    redraws = 0;
    VideoSetNeedsDisplayProc([](ScannerView*) { ++redraws; });
    instance_.reset(NewInstance(kFakeView, &target_, LiveVideoHooks()));
    instance_->beepEnabled = false; // the beep has a test of its own
}

LiveHarness::~LiveHarness() {
    instance_.reset();
    VideoSetNeedsDisplayProc(nullptr);
    VideoSetCaptureService(nullptr);
    VideoSetSourceDescription("");
    SetCurrentEventLoop(nullptr);
}

std::uint32_t& LiveHarness::Pixel(int x, int y) {
    return reinterpret_cast<std::uint32_t*>(
        instance_->frameBase + std::size_t(y) * std::size_t(instance_->frameRowBytes))[x];
}

int LiveHarness::Redraws() const {
    return redraws;
}

void LiveHarness::FollowRealTime() {
    loop_.SetWaiter([start = std::chrono::steady_clock::now(), first = TickCount()](Ticks due) {
        std::this_thread::sleep_until(
            start + std::chrono::microseconds(std::int64_t(due - first) * 1'000'000 / 60));
        SetTickCount(due);
    });
}

void LiveHarness::RunUntil(Ticks end, bool stopWhenClosed) {
    while (instance_->idleTimer &&
           std::int32_t(loop_.NextFireTick(instance_->idleTimer) - end) <= 0) {
        if (!loop_.RunOnce()) return;
        if (stopWhenClosed && !instance_->channel) return;
    }
}
