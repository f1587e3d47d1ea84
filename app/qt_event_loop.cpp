// Each timer is a precise single-shot QTimer started again for every fire,
// so that a callback may move its own next fire or remove itself.
#include "app/qt_event_loop.h"

#include <QTimer>
#include <algorithm>
#include <cmath>

struct QtEventLoop::Timer final : EventLoopTimer {
    QTimer qtimer;
};

namespace {

int Milliseconds(double seconds) {
    return seconds > 0 ? int(std::lround(seconds * 1000.0)) : 0;
}

} // namespace

QtEventLoop::QtEventLoop() = default;
QtEventLoop::~QtEventLoop() = default;

EventLoopTimer* QtEventLoop::InstallTimer(double delay, double interval, EventLoopTimerProc proc,
                                          void* userData) {
    auto timer = std::make_unique<Timer>();
    timer->loop = this;
    timer->proc = proc;
    timer->userData = userData;
    timer->interval = interval;
    timer->qtimer.setSingleShot(true);
    timer->qtimer.setTimerType(Qt::PreciseTimer);
    Timer* raw = timer.get();
    QObject::connect(&raw->qtimer, &QTimer::timeout, [this, raw] { Fire(raw); });
    raw->qtimer.start(Milliseconds(delay));
    timers_.push_back(std::move(timer));
    return raw;
}

void QtEventLoop::Fire(Timer* timer) {
    removed_.clear();
    if (timer->interval > 0) timer->qtimer.start(Milliseconds(timer->interval));
    firing_ = timer;
    firingRemoved_ = false;
    timer->proc(timer, timer->userData);
    firing_ = nullptr;
    if (!firingRemoved_) return;
    // Its QTimer is still emitting: keep it until the next fire.
    auto it = std::find_if(timers_.begin(), timers_.end(),
                           [timer](const std::unique_ptr<Timer>& t) { return t.get() == timer; });
    if (it == timers_.end()) return;
    removed_.push_back(std::move(*it));
    timers_.erase(it);
}

void QtEventLoop::RemoveTimer(EventLoopTimer* timer) {
    if (timer == firing_) {
        firingRemoved_ = true;
        static_cast<Timer*>(timer)->qtimer.stop();
        return;
    }
    std::erase_if(timers_, [timer](const std::unique_ptr<Timer>& t) { return t.get() == timer; });
}

void QtEventLoop::SetTimerNextFireTime(EventLoopTimer* timer, double delay) {
    static_cast<Timer*>(timer)->qtimer.start(Milliseconds(delay));
}
