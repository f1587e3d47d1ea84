// The application's own preferences: where the scanner window stood, the
// delivery action and the script, kept under "com.vondrel.kestrix.prefs".
#pragma once

#include <string_view>

constexpr std::string_view kPreferencesKey = "com.vondrel.kestrix.prefs";

#include "toolbox/fourcc.h"

// Fills windowBounds, action and scriptPath of the globals from the items
// stored; what is absent or damaged keeps its default. A damaged file is
// first kept aside (settingsWereReset), to be said once the window shows.
void LoadPreferences();
// Stores the window's current outer bounds, the action and the script (if
// one is chosen). Needs the window. noErr, or ioErr when not stored.
OSStatus SavePreferences();

// Saves the scanner settings and the preferences at once, as the user
// changes them; when they cannot be saved, the window says why, once.
void SaveChoices();
// Says in the window, once, that the settings cannot be saved, when it can
// be told without writing.
void CheckChoicesCanBeSaved();
