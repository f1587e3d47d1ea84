// Per-frame cost of the live scanner's drawing: the aiming target and the
// confirmation box, opaque and in the middle of its fade, drawn with Cairo
// into the frame buffer as VideoScan draws them after every frame.
#include "engine/laser.h"
#include "engine/scanner_instance.h"
#include "toolbox/ticks.h"
#include "video/live_video.h"

#include <benchmark/benchmark.h>

namespace {

constexpr Ticks kNow = 100000;

InstancePtr GreyInstance() {
    InstancePtr s(NewInstance(nullptr, nullptr, LiveVideoHooks()));
    auto* pixels = reinterpret_cast<std::uint32_t*>(s->frameBase);
    std::fill(pixels, pixels + kFrameWidth * kFrameHeight, 0xFF808080u);
    s->showTarget = true;
    SetTickCount(kNow);
    return s;
}

void BM_DrawTarget(benchmark::State& state) {
    InstancePtr s = GreyInstance();
    for (auto _ : state) VideoDrawOverlays(s.get());
}
BENCHMARK(BM_DrawTarget);

// state.range(0): ticks since the acceptance (0 opaque, 75 half faded).
void BM_DrawConfirmation(benchmark::State& state) {
    InstancePtr s = GreyInstance();
    Laser laser;
    laser.text = Str255::From("4006381333931");
    s->acceptedLaser = &laser;
    s->acceptedTick = kNow - Ticks(state.range(0));
    for (auto _ : state) VideoDrawConfirmation(s.get(), &laser);
    s->acceptedLaser = nullptr;
}
BENCHMARK(BM_DrawConfirmation)->Arg(0)->Arg(75);

// A text that needs every size down to 8 points: the most measuring passes.
void BM_DrawConfirmationLongText(benchmark::State& state) {
    InstancePtr s = GreyInstance();
    Laser laser;
    laser.text = Str255::From(std::string(120, 'W'));
    s->acceptedTick = kNow;
    for (auto _ : state) VideoDrawConfirmation(s.get(), &laser);
}
BENCHMARK(BM_DrawConfirmationLongText);

} // namespace

BENCHMARK_MAIN();
