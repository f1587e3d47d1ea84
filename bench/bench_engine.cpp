// Engine benchmarks. One frame's analysis is one pattern of 37 lasers; the
// plain window scan sits beside the fast one on the same frames. The
// allocation counter shows what a frame allocates (it should be nothing).
#include "bench/sample_frames.h"
#include "tests/support/plain_sensor.h"

#include "engine/dispatch.h"
#include "engine/frame_sweep.h"
#include "engine/scanner_instance.h"
#include "engine/sensor.h"
#include "toolbox/ticks.h"
#include "video/null_video.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

namespace {

std::atomic<long> allocations{0};

} // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// Pure noise: an edge at nearly every sample, the worst case of analysis.
Frame NoiseFrame() {
    Frame frame;
    std::mt19937 rng(1);
    for (std::uint32_t& p : frame.pixels) p = 0xFF000000u | (rng() & 0xFFFFFFu);
    return frame;
}

InstancePtr InstanceShowing(const Frame& frame) {
    InstancePtr s(NewInstance(nullptr, nullptr, NullVideoHooks()));
    std::copy(frame.pixels.begin(), frame.pixels.end(),
              reinterpret_cast<std::uint32_t*>(s->frameBase));
    return s;
}

template <void (*Analyze)(const ScannerInstance*, Laser*)>
void AnalyzePattern(benchmark::State& state, const Frame& frame) {
    InstancePtr s = InstanceShowing(frame);
    long runs = 0;
    for (auto _ : state) {
        for (Laser* l = s->laserHeads[0]; l; l = l->next) {
            Analyze(s.get(), l);
            runs += l->elementCount;
        }
        benchmark::ClobberMemory();
    }
    state.counters["runs/frame"] = double(runs) / double(state.iterations());
}

void BM_AnalyzeSensor_Noise(benchmark::State& state) {
    AnalyzePattern<AnalyzeSensor>(state, NoiseFrame());
}
void BM_AnalyzeSensorPlain_Noise(benchmark::State& state) {
    AnalyzePattern<AnalyzeSensorPlain>(state, NoiseFrame());
}
void BM_AnalyzeSensor_EAN13(benchmark::State& state) {
    AnalyzePattern<AnalyzeSensor>(state, FrameWithEAN13());
}
void BM_AnalyzeSensorPlain_EAN13(benchmark::State& state) {
    AnalyzePattern<AnalyzeSensorPlain>(state, FrameWithEAN13());
}

// VideoScan as the live loop runs it, one frame per iteration. An accepted
// read would hold scanning for two seconds; the hold is lifted after each
// frame so that every frame is analysed.
void VideoScanFrames(benchmark::State& state, const Frame& frame) {
    InstancePtr s = InstanceShowing(frame);
    SetTickCount(0);
    long reads = 0, frames = 0;
    long before = allocations.load();
    for (auto _ : state) {
        AdvanceTickCount(2);
        VideoScan(s.get());
        ++frames;
        if (s->acceptedLaser) {
            ++reads;
            s->acceptedLaser = nullptr;
        }
    }
    state.counters["reads/frame"] = double(reads) / double(frames);
    state.counters["allocs/frame"] = double(allocations.load() - before) / double(frames);
}

void BM_VideoScan_EAN13InView(benchmark::State& state) {
    VideoScanFrames(state, FrameWithEAN13());
}
void BM_VideoScan_NoBarcode(benchmark::State& state) {
    VideoScanFrames(state, FrameWithoutBarcode());
}

// One slice of the whole-picture sweep, which a live frame adds when its
// aimed lasers read nothing: VideoScan's time less this is the aimed
// pattern's.
void SweepSlices(benchmark::State& state, const Frame& frame) {
    InstancePtr s = InstanceShowing(frame);
    SetTickCount(0);
    for (auto _ : state) {
        AdvanceTickCount(2);
        SweepFrameSlice(s.get());
        s->acceptedLaser = nullptr;
    }
}
void BM_SweepFrameSlice_NoBarcode(benchmark::State& state) {
    SweepSlices(state, FrameWithoutBarcode());
}
void BM_SweepFrameSlice_Noise(benchmark::State& state) {
    SweepSlices(state, NoiseFrame());
}
void BM_VideoScan_Noise(benchmark::State& state) {
    VideoScanFrames(state, NoiseFrame());
}

// A webcam's video of a page without a code: the same picture with fresh
// sensor noise (sigma 5 on each channel) on every frame, as the live loop
// copies it in. Unlike a still frame shown again, each frame is new to the
// frames the reading remembers.
void BM_VideoScan_NoBarcodeNoisyVideo(benchmark::State& state) {
    const Frame still = FrameWithoutBarcode();
    std::vector<Frame> frames(8, still);
    std::mt19937 rng(2);
    std::normal_distribution<double> noise(0.0, 5.0);
    for (Frame& frame : frames)
        for (std::uint32_t& p : frame.pixels) {
            std::uint32_t out = 0xFF000000u;
            for (int shift : {0, 8, 16}) {
                const double c = double((p >> shift) & 0xFF) + noise(rng);
                out |= std::uint32_t(std::clamp(c, 0.0, 255.0)) << shift;
            }
            p = out;
        }
    InstancePtr s = InstanceShowing(still);
    auto* base = reinterpret_cast<std::uint32_t*>(s->frameBase);
    SetTickCount(0);
    std::size_t next = 0;
    for (auto _ : state) {
        const Frame& frame = frames[next++ % frames.size()];
        std::copy(frame.pixels.begin(), frame.pixels.end(), base);
        AdvanceTickCount(2);
        VideoScan(s.get());
        s->acceptedLaser = nullptr;
    }
}

} // namespace

BENCHMARK(BM_AnalyzeSensor_Noise)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalyzeSensorPlain_Noise)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalyzeSensor_EAN13)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalyzeSensorPlain_EAN13)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VideoScan_EAN13InView)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VideoScan_NoBarcode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VideoScan_Noise)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VideoScan_NoBarcodeNoisyVideo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SweepFrameSlice_NoBarcode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SweepFrameSlice_Noise)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
