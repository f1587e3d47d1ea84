// Runs a fresh scanner instance over the frames of one file. A stream that
// ends after its first frame is a still image and is shown kStillImageFrames
// times; any other stream is shown frame by frame.
#include "cli/file_scan.h"

#include "engine/dispatch.h"
#include "engine/frame_sweep.h"
#include "engine/scan_event.h"
#include "engine/scanner_instance.h"
#include "toolbox/events.h"
#include "toolbox/ticks.h"
#include "video/file_frames.h"
#include "video/null_video.h"

#include <algorithm>
#include <array>
#include <span>
#include <vector>

namespace {

using Frame = std::vector<std::uint32_t>;

} // namespace

void ApplyOptions(ScannerInstance* instance, const ScanOptions& options) {
    SetBooleanInfo(instance, kKeyBeep, 0); // the command line is silent
    for (const SymbologySwitch& s : options.switches)
        SetBooleanInfo(instance, s.key, s.enabled ? 1 : 0);
    if (options.supplement) SetOSTypeInfo(instance, kKeySupplement, *options.supplement);
}

namespace {

// A scanner instance whose Scan events go to onRead, tagged with the index
// of the frame being shown.
struct FileScanner {
    EventTarget target;
    InstancePtr instance;
    std::size_t frameIndex = 0;

    FileScanner(const ScanOptions& options, const ReadCallback& onRead) {
        InstallEventHandler(target, kScanEventTypes, [this, onRead](EventTarget&, Event& event) {
            const auto [text, symbology] = GetScanEventParameters(event);
            onRead({frameIndex, symbology, text.ToString()});
            return noErr;
        });
        instance.reset(NewInstance(nullptr, &target, NullVideoHooks()));
        if (!Ready()) return;
        ApplyOptions(instance.get(), options);
        SetTickCount(0);
    }
    bool Ready() const { return instance && instance->frameBase; }

    // Shows one frame to the engine as the idle loop would: into the frame
    // buffer, one scan, then the clock moves on by one frame.
    // A video's code may be anywhere in the picture: each frame that the
    // aimed lasers read nothing from is also looked over whole.
    void ShowFrame(std::span<const std::uint32_t> frame) {
        CopyIntoFrameBuffer(frame);
        VideoScan(instance.get());
        if (!instance->acceptedLaser) SweepWholeFrame(instance.get());
        AdvanceTickCount(kTicksPerFrame);
    }

    // A still image stays in the frame buffer (nothing draws into it here).
    void ShowStill(std::span<const std::uint32_t> frame) {
        CopyIntoFrameBuffer(frame);
        for (int i = 0; i < kStillImageFrames; ++i) {
            VideoScan(instance.get());
            AdvanceTickCount(kTicksPerFrame);
        }
        // Nothing where a user aims: look over the whole picture once.
        if (!instance->acceptedLaser) SweepWholeFrame(instance.get());
        DeliverAwaitedRead(instance.get());
    }

  private:
    void CopyIntoFrameBuffer(std::span<const std::uint32_t> frame) {
        const std::size_t rowPixels = std::size_t(instance->frameRowBytes) / sizeof(std::uint32_t);
        auto* base = reinterpret_cast<std::uint32_t*>(instance->frameBase);
        for (int y = 0; y < kFrameHeight; ++y)
            std::copy_n(frame.begin() + std::ptrdiff_t(y) * kFrameWidth, kFrameWidth,
                        base + y * rowPixels);
    }
};

} // namespace

bool ScanStillPicture(std::span<const std::uint32_t> pixels, const ScanOptions& options,
                      const ReadCallback& onRead) {
    if (pixels.size() < std::size_t(kFrameWidth) * kFrameHeight) return false;
    FileScanner scanner(options, onRead);
    if (!scanner.Ready()) return false;
    scanner.ShowStill(pixels);
    return true;
}

bool ScanFrames(const FrameSource& next, const ScanOptions& options, const ReadCallback& onRead) {
    FileScanner scanner(options, onRead);
    if (!scanner.Ready()) return false;
    Frame frame(std::size_t(kFrameWidth) * kFrameHeight);
    for (; next(frame); ++scanner.frameIndex) scanner.ShowFrame(frame);
    return true;
}

bool ScanFile(const std::string& path, const ScanOptions& options, const ReadCallback& onRead,
              std::string& error, std::string* detail) {
    auto reader = FileFrameReader::Open(path, error, detail);
    if (!reader) return false;

    FileScanner scanner(options, onRead);
    if (!scanner.Ready()) {
        error = "not enough memory for the scanner";
        return false;
    }

    Frame current(std::size_t(kFrameWidth) * kFrameHeight);
    Frame next(current.size());
    GstPullResult result = reader->PullFrame(current);
    if (result == GstPullResult::kEndOfStream) {
        error = "no picture could be decoded from it";
        return false;
    }
    if (result == GstPullResult::kFrame) {
        result = reader->PullFrame(next);
        if (result == GstPullResult::kEndOfStream) {
            scanner.ShowStill(current);
            error = reader->Note();
            return true;
        }
        scanner.ShowFrame(current);
        for (; result == GstPullResult::kFrame; result = reader->PullFrame(next)) {
            ++scanner.frameIndex;
            scanner.ShowFrame(next);
        }
    }
    if (result == GstPullResult::kError) {
        error = reader->Error();
        if (detail) *detail = reader->ErrorDetail();
        return false;
    }
    error = reader->Note();
    return true;
}
