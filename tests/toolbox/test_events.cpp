// The event model and the manual event loop on the tick clock. (Parameters
// and their strings are read by every harness.)
#include "toolbox/event_loop.h"
#include "toolbox/events.h"
#include "toolbox/str255.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr EventTypeSpec kScan{"Kstx"_4cc, "scan"_4cc};
constexpr EventTypeSpec kCommand{"cmds"_4cc, 1};

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

TEST(Events, HandlersRunNewestFirstPassEventsOnAndMayRemoveThemselves) {
    EventTarget target;
    std::string calls;
    auto handler = [&](const char* name, OSStatus status) {
        return [&calls, name, status](EventTarget&, Event&) {
            calls += name;
            return status;
        };
    };
    InstallEventHandler(target, std::span(&kScan, 1), handler("old ", noErr));
    const EventHandlerRef passer =
        InstallEventHandler(target, std::span(&kScan, 1), handler("new ", eventNotHandledErr));
    InstallEventHandler(target, std::span(&kCommand, 1), handler("command ", -1));
    EventHandlerRef self = 0;
    self = InstallEventHandler(target, std::span(&kScan, 1), [&](EventTarget& t, Event&) {
        calls += "once ";
        RemoveEventHandler(t, self);
        return eventNotHandledErr;
    });

    Event scan = CreateEvent(kScan.eventClass, kScan.kind);
    EXPECT_EQ(SendEventToEventTarget(scan, &target), noErr);
    EXPECT_EQ(calls, "once new old ");
    // A handler that takes the event stops the walk; its status comes back.
    Event command = CreateEvent(kCommand.eventClass, kCommand.kind);
    calls.clear();
    EXPECT_EQ(SendEventToEventTarget(command, &target), -1);
    EXPECT_EQ(calls, "command ");
    // Nobody for this kind.
    Event other = CreateEvent("Kstx"_4cc, "none"_4cc);
    EXPECT_EQ(SendEventToEventTarget(other, &target), eventNotHandledErr);

    RemoveEventHandler(target, passer);
    calls.clear();
    SendEventToEventTarget(scan, &target);
    EXPECT_EQ(calls, "old ");
}

// Two reads confirm each other only when their texts are equal: the length
// and the valid bytes count, case too, and the rest of the buffer does not.
TEST(Str255, EqualityIsTheTextsAndCutAt255) {
    Str255 a = Str255::From("AB"), b = Str255::From("ABC");
    b.SetLength(2);
    EXPECT_EQ(a, b);
    EXPECT_FALSE(a == Str255::From("ab"));
    EXPECT_FALSE(a == Str255::From("AB "));
    EXPECT_EQ(Str255::From(std::string(300, 'x')).View(), std::string(255, 'x'));
}

TEST(EventLoop, RepeatingTimerFiresOnTheTickClockUntilRemovedAcrossTheWrap) {
    SetTickCount(0xFFFFFFFEu);
    ManualEventLoop loop;
    Log log;
    EventLoopTimer* timer = nullptr;
    ASSERT_EQ(InstallEventLoopTimer(&loop, 0.0, 1.0 / 30, Record, &log, &timer), noErr);
    loop.RunUntil(2);
    EXPECT_EQ(log.fires, "4294967294 0 2 ");
    SetEventLoopTimerNextFireTime(timer, 5.0);
    EXPECT_EQ(loop.NextFireTick(timer), 302u);
    log.removeOnFire = timer;
    loop.Run();
    EXPECT_EQ(log.fires, "4294967294 0 2 302 ");
    EXPECT_EQ(loop.TimerCount(), 0u);
}
