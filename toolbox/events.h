// A small event model: an EventTarget holds handlers by (class, kind); an
// Event carries typed parameters; sending is synchronous. A handler returns
// noErr when it took the event or eventNotHandledErr to pass it on to the
// next handler. Handlers installed last are called first.
#pragma once

#include "toolbox/fourcc.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// Parameter type codes.
constexpr OSType typePascalString = "pstr"_4cc; // 256 bytes: length byte + text
constexpr OSType typeType = "type"_4cc;         // a four-character code
constexpr OSType typeHICommand = "hcmd"_4cc;    // a command ID
constexpr OSType kParamDirectObject = "----"_4cc;

struct EventParameter {
    OSType name = 0;
    OSType type = 0;
    std::vector<std::byte> data;
};

struct Event {
    OSType eventClass = 0;
    OSType kind = 0;
    std::uint32_t time = 0;
    std::vector<EventParameter> parameters;
};

struct EventTypeSpec {
    OSType eventClass;
    OSType kind;
};

struct EventTarget;
using EventHandler = std::function<OSStatus(EventTarget& target, Event& event)>;
using EventHandlerRef = std::uint64_t;

struct EventTarget {
    struct Entry {
        EventHandlerRef ref;
        std::vector<EventTypeSpec> types;
        EventHandler handler;
    };
    std::vector<Entry> handlers; // in order of installation
    EventHandlerRef nextRef = 1;
};

Event CreateEvent(OSType eventClass, OSType kind);

// Replaces a parameter of the same name. paramErr for empty data.
OSStatus SetEventParameter(Event& event, OSType name, OSType type, std::span<const std::byte> data);

// Copies at most out.size() bytes; actualSize (if given) receives the stored
// size. eventParameterNotFoundErr when absent or of another type.
OSStatus GetEventParameter(const Event& event, OSType name, OSType type, std::span<std::byte> out,
                           std::size_t* actualSize = nullptr);

EventHandlerRef InstallEventHandler(EventTarget& target, std::span<const EventTypeSpec> types,
                                    EventHandler handler);
void RemoveEventHandler(EventTarget& target, EventHandlerRef ref);

// Calls the matching handlers, newest first, until one does not return
// eventNotHandledErr. Returns that handler's status, or eventNotHandledErr
// when none took the event (also for a null target: paramErr).
OSStatus SendEventToEventTarget(Event& event, EventTarget* target);

// Typed helpers over the byte parameters.
template <class T>
OSStatus SetEventParameterValue(Event& event, OSType name, OSType type, const T& value) {
    return SetEventParameter(event, name, type, std::as_bytes(std::span(&value, 1)));
}
template <class T>
OSStatus GetEventParameterValue(const Event& event, OSType name, OSType type, T& value) {
    return GetEventParameter(event, name, type, std::as_writable_bytes(std::span(&value, 1)));
}
