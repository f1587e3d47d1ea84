// The manual event loop on the tick clock: fire order, intervals, removal
// from inside a callback, a moved next fire.
#include "toolbox/event_loop.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Log {
    std::string fires;
    EventLoopTimer* removeOnFire = nullptr;
};

void Record(EventLoopTimer* timer, void* userData) {
    auto* log = static_cast<Log*>(userData);
    log->fires += std::to_string(TickCount()) + " ";
    if (log->removeOnFire == timer) RemoveEventLoopTimer(timer);
}

} // namespace

TEST(EventLoop, RepeatingTimerFiresOnTheTickClockUntilRemoved) {
    SetTickCount(1000);
    ManualEventLoop loop;
    Log log;
    EventLoopTimer* timer = nullptr;
    ASSERT_EQ(InstallEventLoopTimer(&loop, 0.0, 1.0 / 30, Record, &log, &timer), noErr);
    loop.RunUntil(1006);
    EXPECT_EQ(log.fires, "1000 1002 1004 1006 ");

    SetEventLoopTimerNextFireTime(timer, 5.0);
    EXPECT_EQ(loop.NextFireTick(timer), 1306u);
    log.removeOnFire = timer;
    loop.Run();
    EXPECT_EQ(log.fires, "1000 1002 1004 1006 1306 ");
    EXPECT_EQ(loop.TimerCount(), 0u);
}

TEST(EventLoop, ClockWrapAndBadArguments) {
    SetTickCount(0xFFFFFFFEu);
    ManualEventLoop loop;
    Log log;
    EventLoopTimer* timer = nullptr;
    InstallEventLoopTimer(&loop, 1.0 / 30, 1.0 / 30, Record, &log, &timer);
    loop.RunUntil(2);
    EXPECT_EQ(log.fires, "0 2 ");
    EXPECT_EQ(InstallEventLoopTimer(nullptr, 0, 0, Record, &log, &timer), paramErr);
    EXPECT_EQ(RemoveEventLoopTimer(nullptr), paramErr);
    EXPECT_EQ(SetEventLoopTimerNextFireTime(nullptr, 1.0), paramErr);
}
