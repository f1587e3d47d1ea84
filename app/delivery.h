// Delivery of a read: HandleScan shows the code and its symbology's name in
// the scanner window and hands the code on by the chosen action.
#pragma once

#include "toolbox/events.h"
#include "toolbox/scan_history.h"
#include "toolbox/str255.h"

// The Scan event's handler on the scanner window; always noErr.
OSStatus HandleScan(EventTarget& target, Event& event);

// Hands the code on by the chosen action; how it went (shown when nothing
// was delivered).
HistoryDelivery DeliverRead(const Str255& code, const Str255& symbologyName);

// Types the code into the focused window unless a Kestrix window has the
// focus, followed by the end-of-entry key when 'appe' is on. noErr when it
// typed; ioErr when nothing was typed.
OSStatus ActionSendToApplication(const Str255& code);
// Puts exactly the code's text on the clipboard.
OSStatus ActionSendToClipboard(const Str255& code);
// Starts the chosen script with the code and the symbology name.
OSStatus ActionSendToScript(const Str255& code, const Str255& symbologyName);

// True while the keyboard focus is in one of Kestrix's windows (the scanner
// window, its sheets and dialogs).
bool KestrixHasFocus();
