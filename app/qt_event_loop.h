// The main event loop's timers on QTimer.
#pragma once

#include "toolbox/event_loop.h"

#include <memory>
#include <vector>

class QtEventLoop final : public EventLoop {
  public:
    QtEventLoop();
    ~QtEventLoop() override;

    EventLoopTimer* InstallTimer(double delay, double interval, EventLoopTimerProc proc,
                                 void* userData) override;
    void RemoveTimer(EventLoopTimer* timer) override;
    void SetTimerNextFireTime(EventLoopTimer* timer, double delay) override;

  private:
    struct Timer;
    void Fire(Timer* timer);

    std::vector<std::unique_ptr<Timer>> timers_;
    std::vector<std::unique_ptr<Timer>> removed_; // removed while firing; freed on the next fire
    Timer* firing_ = nullptr;                     // the timer whose callback runs now
    bool firingRemoved_ = false;                  // ... and was removed meanwhile
};
