// The application's own preferences: where the scanner window stood, the
// delivery action and the script, kept under "com.vondrel.kestrix.prefs".
#pragma once

#include <string_view>

constexpr std::string_view kPreferencesKey = "com.vondrel.kestrix.prefs";

// Fills windowBounds, action and scriptPath of the globals from the items
// stored; what is absent or damaged keeps its default.
void LoadPreferences();
// Stores the window's current outer bounds, the action and the script (if
// one is chosen). Needs the window.
void SavePreferences();
