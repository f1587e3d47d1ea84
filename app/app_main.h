// Start-up and shut-down of the desktop program.
#pragma once

#include "app/options.h"

// Start-up up to the live window: the version test, the typing back end,
// the preferences, the window with its handlers and controls, the scanner
// instance with its settings, the preview. False when the program is to end
// at once with status.
bool StartApplication(const AppOptions& options, int& status);

// Shut-down: saves the scanner settings, then the preferences (the window
// still stands), then disposes of the instance.
void StopApplication();

// The whole program: options, the application object, the event loop.
int KestrixMain(int argc, char** argv);
