// The event model: parameters, handler tables and synchronous sending.
#include "toolbox/events.h"

#include <algorithm>
#include <cstring>

Event CreateEvent(OSType eventClass, OSType kind) {
    Event event;
    event.eventClass = eventClass;
    event.kind = kind;
    return event;
}

OSStatus SetEventParameter(Event& event, OSType name, OSType type,
                           std::span<const std::byte> data) {
    if (data.empty()) return paramErr;
    auto it = std::find_if(event.parameters.begin(), event.parameters.end(),
                           [name](const EventParameter& p) { return p.name == name; });
    EventParameter& p = it != event.parameters.end() ? *it : event.parameters.emplace_back();
    p.name = name;
    p.type = type;
    p.data.assign(data.begin(), data.end());
    return noErr;
}

OSStatus GetEventParameter(const Event& event, OSType name, OSType type, std::span<std::byte> out,
                           std::size_t* actualSize) {
    for (const EventParameter& p : event.parameters) {
        if (p.name != name) continue;
        if (p.type != type) return eventParameterNotFoundErr;
        std::size_t n = std::min(out.size(), p.data.size());
        if (n) std::memcpy(out.data(), p.data.data(), n);
        if (actualSize) *actualSize = p.data.size();
        return noErr;
    }
    return eventParameterNotFoundErr;
}

EventHandlerRef InstallEventHandler(EventTarget& target, std::span<const EventTypeSpec> types,
                                    EventHandler handler) {
    EventHandlerRef ref = target.nextRef++;
    target.handlers.push_back({ref, {types.begin(), types.end()}, std::move(handler)});
    return ref;
}

void RemoveEventHandler(EventTarget& target, EventHandlerRef ref) {
    std::erase_if(target.handlers, [ref](const EventTarget::Entry& e) { return e.ref == ref; });
}

OSStatus SendEventToEventTarget(Event& event, EventTarget* target) {
    if (!target) return paramErr;
    // A handler may install or remove handlers while it runs; walk a copy of
    // the references so that the table can change under us.
    std::vector<EventHandlerRef> order;
    for (auto it = target->handlers.rbegin(); it != target->handlers.rend(); ++it) {
        bool matches = std::any_of(it->types.begin(), it->types.end(), [&](const EventTypeSpec& t) {
            return t.eventClass == event.eventClass && t.kind == event.kind;
        });
        if (matches) order.push_back(it->ref);
    }
    for (EventHandlerRef ref : order) {
        auto it = std::find_if(target->handlers.begin(), target->handlers.end(),
                               [ref](const EventTarget::Entry& e) { return e.ref == ref; });
        if (it == target->handlers.end()) continue;
        EventHandler handler = it->handler; // keep it alive while it runs
        OSStatus status = handler(*target, event);
        if (status != eventNotHandledErr) return status;
    }
    return eventNotHandledErr;
}
