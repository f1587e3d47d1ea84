// Scanner settings persistence: the user's settings and the camera's own
// settings saved as one flattened collection under one key of the
// application's preferences store, and read back into a new instance.
#pragma once

#include "toolbox/collection.h"
#include "toolbox/fourcc.h"

#include <string_view>

struct ScannerInstance;

// The key under which the desktop program keeps the scanner settings.
constexpr std::string_view kScannerSettingsKey = "com.vondrel.kestrix.settings";
constexpr OSType kKeyChannelSettings = "chan"_4cc; // the camera's flattened settings

// The stored items, every one with id 1, in this order: 'focm', 'focd',
// 'targ', the eight symbology switches, 'supp', 'appe', 'appc', 'beep',
// 'hard', 'cd32', then 'chan' when the instance holds channel settings. Booleans
// are one byte as held, 'focd' an IEEE-754 double and 'supp' and 'appc'
// four-character codes, both big-endian. 'prev' and 'scan' are not stored.
Collection SettingsToCollection(const ScannerInstance* instance);

// Sets the instance's fields from the items present. An absent item, or
// one whose size is not its field's, leaves the field as it was, and so
// does a focus distance that is not a number in 0..1. channelSettings
// becomes the 'chan' item, or empty without one. No setter runs and nothing
// reaches the camera.
void SettingsFromCollection(ScannerInstance* instance, const Collection& collection);

// Writes the settings under key of the application's store, at once.
// noErr, or ioErr when they could not be written (the stored value is then
// as it was).
OSStatus SaveSettings(const ScannerInstance* instance, std::string_view key);

// Reads the settings stored under key into an instance that holds its
// defaults. Nothing stored, or a value that is not an intact collection,
// leaves every default in place.
void LoadSettings(ScannerInstance* instance, std::string_view key);
