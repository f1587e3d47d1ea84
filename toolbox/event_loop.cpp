// Event-loop timers and the manual loop on the tick clock.
#include "toolbox/event_loop.h"

#include <algorithm>
#include <cmath>

namespace {

EventLoop* currentLoop = nullptr;

// a is earlier than b on the wrapping tick clock.
bool Before(Ticks a, Ticks b) {
    return std::int32_t(a - b) < 0;
}

} // namespace

EventLoop* GetCurrentEventLoop() {
    return currentLoop;
}

void SetCurrentEventLoop(EventLoop* loop) {
    currentLoop = loop;
}

OSStatus InstallEventLoopTimer(EventLoop* loop, double delay, double interval,
                               EventLoopTimerProc proc, void* userData, EventLoopTimer** outTimer) {
    if (!loop || !proc || !outTimer) return paramErr;
    *outTimer = loop->InstallTimer(delay, interval, proc, userData);
    return *outTimer ? noErr : paramErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimer* timer) {
    if (!timer || !timer->loop) return paramErr;
    timer->loop->RemoveTimer(timer);
    return noErr;
}

OSStatus SetEventLoopTimerNextFireTime(EventLoopTimer* timer, double delay) {
    if (!timer || !timer->loop) return paramErr;
    timer->loop->SetTimerNextFireTime(timer, delay);
    return noErr;
}

Ticks SecondsToTicks(double seconds) {
    if (!(seconds > 0)) return 0;
    return Ticks(std::lround(std::min(seconds, 1e6) * 60.0));
}

struct ManualEventLoop::Timer : EventLoopTimer {
    Ticks due = 0;         // next fire
    std::size_t order = 0; // installation order, first among equal due ticks
    bool removed = false;  // removed from inside its own callback
    bool rescheduled = false;
};

ManualEventLoop::ManualEventLoop() : waiter_([](Ticks due) { SetTickCount(due); }) {}

ManualEventLoop::~ManualEventLoop() = default;

EventLoopTimer* ManualEventLoop::InstallTimer(double delay, double interval,
                                              EventLoopTimerProc proc, void* userData) {
    static std::size_t installed = 0;
    auto timer = std::make_unique<Timer>();
    timer->loop = this;
    timer->proc = proc;
    timer->userData = userData;
    timer->interval = interval;
    timer->due = TickCount() + SecondsToTicks(delay);
    timer->order = installed++;
    timers_.push_back(std::move(timer));
    return timers_.back().get();
}

void ManualEventLoop::RemoveTimer(EventLoopTimer* timer) {
    if (timer == firing_) {
        firing_->removed = true;
        return;
    }
    std::erase_if(timers_, [&](const std::unique_ptr<Timer>& t) { return t.get() == timer; });
}

void ManualEventLoop::SetTimerNextFireTime(EventLoopTimer* timer, double delay) {
    auto* t = static_cast<Timer*>(timer);
    t->due = TickCount() + SecondsToTicks(delay);
    t->rescheduled = true;
}

void ManualEventLoop::SetWaiter(Waiter waiter) {
    waiter_ = std::move(waiter);
}

ManualEventLoop::Timer* ManualEventLoop::FirstDue() const {
    Timer* first = nullptr;
    for (const auto& t : timers_)
        if (!first || Before(t->due, first->due) ||
            (t->due == first->due && t->order < first->order))
            first = t.get();
    return first;
}

bool ManualEventLoop::RunOnce() {
    Timer* timer = FirstDue();
    if (!timer) return false;
    if (Before(TickCount(), timer->due)) waiter_(timer->due);

    firing_ = timer;
    timer->rescheduled = false;
    timer->proc(timer, timer->userData);
    firing_ = nullptr;

    if (timer->removed || timer->interval <= 0) {
        timer->removed = false;
        RemoveTimer(timer);
    } else if (!timer->rescheduled) {
        timer->due += std::max<Ticks>(1, SecondsToTicks(timer->interval));
        if (Before(timer->due, TickCount())) timer->due = TickCount(); // fell behind: no burst
    }
    return true;
}

void ManualEventLoop::RunUntil(Ticks end) {
    quit_ = false;
    while (!quit_) {
        const Timer* timer = FirstDue();
        if (!timer || Before(end, timer->due)) return;
        RunOnce();
    }
}

void ManualEventLoop::Run() {
    quit_ = false;
    while (!quit_ && RunOnce()) {
    }
}

void ManualEventLoop::Quit() {
    quit_ = true;
}

std::size_t ManualEventLoop::TimerCount() const {
    return timers_.size();
}

Ticks ManualEventLoop::NextFireTick(const EventLoopTimer* timer) const {
    return static_cast<const Timer*>(timer)->due;
}
