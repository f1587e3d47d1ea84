// The live loop of kestrix-scan: the idle timer on a manual event loop whose
// waiter sleeps until the real clock reaches each fire, so the camera or the
// source sets the pace. A snapshot is taken after the idle call that
// accepted a read, when the target and the confirmation box are drawn.
#include "cli/live_scan.h"

#include "cli/shown_name.h"

#include "engine/dispatch.h"
#include "engine/scan_event.h"
#include "engine/scanner_instance.h"
#include "engine/settings_store.h"
#include "toolbox/collection.h"
#include "toolbox/event_loop.h"
#include "toolbox/events.h"
#include "toolbox/preferences.h"
#include "video/capture.h"
#include "video/gst_capture.h"
#include "video/live_video.h"
#include "video/video.h"

#include <array>
#include <chrono>
#include <csignal>
#include <iostream>
#include <span>
#include <thread>

namespace {

constexpr auto kLongestSleep = std::chrono::milliseconds(50); // Ctrl+C is seen this soon
constexpr const char* kSnapshotName = "Kestrix Image %ld.png";
// What the frame export's status codes mean for a snapshot folder.
constexpr OSStatus kFolderMissing = -43, kDiskFull = -34, kNotWritable = -61;

std::string SnapshotFailure(OSStatus status) {
    switch (status) {
    case kFolderMissing:
        return "the folder does not exist";
    case kDiskFull:
        return "no space left";
    case kNotWritable:
        return "read-only or not writable";
    default:
        return "the file could not be written";
    }
}

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    interrupted = 1;
}

// Sleeps until the real clock reaches due, in short steps so that Ctrl+C
// ends the wait, then sets the tick clock to it.
void WaitForTick(std::chrono::steady_clock::time_point start, Ticks first, Ticks due) {
    using namespace std::chrono;
    const auto until =
        start + microseconds(std::int64_t(std::int32_t(due - first)) * 1'000'000 / 60);
    while (!interrupted && steady_clock::now() < until)
        std::this_thread::sleep_for(
            std::min<steady_clock::duration>(until - steady_clock::now(), kLongestSleep));
    SetTickCount(due);
}

// The camera the desktop program uses: the 'chan' item of its stored
// settings, the camera's identifier and control values; empty (the first
// camera) when nothing intact is stored. Nothing else of those settings
// applies here: the options say how to scan.
std::vector<std::uint8_t> StoredCameraChoice() {
    const std::optional<std::vector<std::uint8_t>> stored =
        CopyPreferencesValue(kScannerSettingsKey, kApplicationIdentifier);
    Collection collection;
    if (!stored || UnflattenCollection(*stored, collection) != noErr) return {};
    std::vector<std::uint8_t> choice;
    AppGetCollectionItemHandle(collection, kKeyChannelSettings, 1, &choice);
    return choice;
}

} // namespace

bool ScanLive(const ScanOptions& options, const ReadCallback& onRead, std::string& error) {
    const bool camera = options.source->empty();
    VideoSetSourceDescription(*options.source);

    EventTarget target;
    bool snapshotDue = false;
    InstallEventHandler(target, kScanEventTypes, [&](EventTarget&, Event& event) {
        const auto [text, symbology] = GetScanEventParameters(event);
        onRead({TickCount() / kTicksPerFrame, symbology, text.ToString()});
        snapshotDue = !options.snapshotDir.empty();
        return noErr;
    });

    ManualEventLoop loop;
    SetCurrentEventLoop(&loop);
    SetTickCount(0);
    loop.SetWaiter(
        [start = std::chrono::steady_clock::now()](Ticks due) { WaitForTick(start, 0, due); });
    InstancePtr instance(NewInstance(nullptr, &target, LiveVideoHooks()));
    if (!instance || !instance->frameBase) {
        SetCurrentEventLoop(nullptr);
        error = "not enough memory for the scanner";
        return false;
    }
    ApplyOptions(instance.get(), options);
    if (camera) instance->channelSettings = StoredCameraChoice();
    SetBooleanInfo(instance.get(), kKeyShowTarget, 1);

    SetInstancePreviewEnabled(instance.get(), true);
    bool ok = instance->channel != nullptr;
    // GStreamer's own words follow ours with --verbose.
    auto detailed = [&](std::string message) {
        if (options.verbose && !GstCaptureLastDetail().empty())
            message += " [" + GstCaptureLastDetail() + "]";
        return message;
    };
    if (!ok)
        error = detailed(camera ? VideoLastOpenError() + "; connect a camera, or give a "
                                                         "GStreamer source with --source PIPELINE"
                                : VideoLastOpenError());

    const auto previous = std::signal(SIGINT, OnInterrupt);
    interrupted = 0;
    bool waiting = false;          // for the camera to come back
    OSStatus lastSnapshot = noErr; // a failure is said once, until it changes
    while (ok && !interrupted && loop.RunOnce()) {
        if (snapshotDue) {
            snapshotDue = false;
            std::filesystem::path written;
            const OSStatus status =
                VideoWriteFramePng(instance.get(), options.snapshotDir, kSnapshotName, &written);
            if (status == noErr)
                std::cerr << "kestrix-scan: saved " << ShownFileName(written.string()) << "\n";
            else if (status != lastSnapshot)
                std::cerr << "kestrix-scan: cannot save snapshots in "
                          << ShownFileName(options.snapshotDir) << ": " << SnapshotFailure(status)
                          << "; the reads are still printed\n";
            lastSnapshot = status;
        }
        if (instance->channel) {
            waiting = false;
            continue;
        }
        // The source closed by itself. A camera that fails is retried by
        // the loop, as in the desktop program; any other source is done.
        const CaptureEnd& end = VideoLastCaptureEnd();
        if (end.failed && camera) {
            if (!waiting)
                std::cerr << "kestrix-scan: " << detailed(end.message) << "; trying again\n";
            waiting = true;
            continue;
        }
        if (end.failed) {
            error = detailed(end.message);
            ok = false;
        }
        break;
    }
    std::signal(SIGINT, previous);
    instance.reset();
    SetCurrentEventLoop(nullptr);
    return ok;
}
