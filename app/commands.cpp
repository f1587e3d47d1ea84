// Command events.
#include "app/commands.h"

OSStatus SendCommand(EventTarget* target, const HICommand& command) {
    Event event = CreateEvent(kEventClassCommand, kEventCommandProcess);
    SetEventParameterValue(event, kParamDirectObject, typeHICommand, command);
    return SendEventToEventTarget(event, target);
}

HICommand GetCommand(const Event& event) {
    HICommand command;
    GetEventParameterValue(event, kParamDirectObject, typeHICommand, command);
    return command;
}
