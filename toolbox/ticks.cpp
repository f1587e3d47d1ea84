// The tick clock, manual or monotonic.
#include "toolbox/ticks.h"

#include <chrono>

namespace {

bool manual = false;
Ticks manualNow = 0;

Ticks SystemTicks() {
    using namespace std::chrono;
    static const steady_clock::time_point origin = steady_clock::now();
    auto elapsed = duration_cast<microseconds>(steady_clock::now() - origin).count();
    return static_cast<Ticks>(elapsed * 60 / 1000000);
}

} // namespace

Ticks TickCount() {
    return manual ? manualNow : SystemTicks();
}

void SetTickCount(Ticks now) {
    manual = true;
    manualNow = now;
}

void AdvanceTickCount(Ticks delta) {
    if (!manual) SetTickCount(SystemTicks());
    manualNow += delta;
}
