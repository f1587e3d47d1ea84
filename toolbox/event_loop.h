// Event-loop timers. The capture loop runs on a repeating timer of the main
// event loop; the loop behind it is an interface, so the desktop program puts
// it on Qt's timers and the tests and kestrix-scan on a manual loop that runs
// on the tick clock.
#pragma once

#include "toolbox/fourcc.h"
#include "toolbox/ticks.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

class EventLoop;
struct EventLoopTimer;

// Called on every fire of a timer, on the loop's thread.
using EventLoopTimerProc = void (*)(EventLoopTimer* timer, void* userData);

// One installed timer. The loop that installed it owns it; a loop may keep
// its own scheduling state in a record derived from this one.
struct EventLoopTimer {
    EventLoop* loop = nullptr;
    EventLoopTimerProc proc = nullptr;
    void* userData = nullptr;
    double interval = 0; // seconds between fires; 0 fires once
    virtual ~EventLoopTimer() = default;
};

class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // First fire after delay seconds, then every interval seconds (0: once).
    virtual EventLoopTimer* InstallTimer(double delay, double interval, EventLoopTimerProc proc,
                                         void* userData) = 0;
    // Removes and frees the timer; safe from inside its own callback.
    virtual void RemoveTimer(EventLoopTimer* timer) = 0;
    // The next fire comes delay seconds from now; later fires keep the interval.
    virtual void SetTimerNextFireTime(EventLoopTimer* timer, double delay) = 0;
};

// The main event loop; null until the program sets one.
EventLoop* GetCurrentEventLoop();
void SetCurrentEventLoop(EventLoop* loop);

// The timer calls of the capture loop. paramErr for a null loop, timer,
// callback or out pointer.
OSStatus InstallEventLoopTimer(EventLoop* loop, double delay, double interval,
                               EventLoopTimerProc proc, void* userData, EventLoopTimer** outTimer);
OSStatus RemoveEventLoopTimer(EventLoopTimer* timer);
OSStatus SetEventLoopTimerNextFireTime(EventLoopTimer* timer, double delay);

// Seconds to ticks, rounded to the nearest tick: 1/30 s is 2 ticks, 5 s 300.
Ticks SecondsToTicks(double seconds);

// A loop run by hand on the tick clock. RunOnce moves the clock to the fire
// time of the timer that is due first (through the waiter) and fires it.
// Tests let the waiter set the manual clock; kestrix-scan lets it sleep
// until the real clock gets there.
class ManualEventLoop final : public EventLoop {
  public:
    using Waiter = std::function<void(Ticks due)>;

    ManualEventLoop();
    ~ManualEventLoop() override;

    EventLoopTimer* InstallTimer(double delay, double interval, EventLoopTimerProc proc,
                                 void* userData) override;
    void RemoveTimer(EventLoopTimer* timer) override;
    void SetTimerNextFireTime(EventLoopTimer* timer, double delay) override;

    // Replaces the default waiter, which sets the manual tick clock to due.
    void SetWaiter(Waiter waiter);
    // Fires the first due timer; false when no timer is installed.
    bool RunOnce();
    // Fires timers until the next one is due after end, none is left or Quit.
    void RunUntil(Ticks end);
    // Fires timers until none is left or Quit is called.
    void Run();
    void Quit();

    std::size_t TimerCount() const;
    // The tick at which the timer fires next.
    Ticks NextFireTick(const EventLoopTimer* timer) const;

  private:
    struct Timer;
    Timer* FirstDue() const;

    std::vector<std::unique_ptr<Timer>> timers_;
    Timer* firing_ = nullptr; // the timer whose callback runs now
    bool quit_ = false;
    Waiter waiter_;
};
