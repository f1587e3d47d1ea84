// The scanner window's own handlers: the close box ends the application, and
// the commands of its controls and menus.
#pragma once

#include "toolbox/events.h"

#include <string>

// Quits the event loop; the window stays (shut-down still needs it).
OSStatus HandleScannerWindowClose(EventTarget& target, Event& event);

// Carries out a command of the window: noErr when it did, else
// eventNotHandledErr (also after taking a choice of the action popup, so the
// popup goes on with its own handling).
OSStatus HandleScannerWindowCommand(EventTarget& target, Event& event);

// Shows the choose button exactly while the script action is chosen.
void UpdateChooseButton();

// Lets the user pick the script; false (path kept) when cancelled.
bool AppChooseFileWithMessage(std::string& path, const char* messageKey);
