// The program's resources (the string table, the beep, demo images) and the
// localised strings. Resources are found next to the binary in the build tree
// ("resources" in the binary's folder or one of its parents) and under the
// install prefix ("share/kestrix" beside the binary's "bin" folder).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The resource folder; empty when none is found.
const std::filesystem::path& AppResourceDirectory();

// The path of a resource file; empty when it does not exist.
std::filesystem::path AppResourcePath(std::string_view name);

// The localised text of key from the string table "Kestrix.strings"; a key
// that has no entry (or no table) yields the key itself.
std::string AppLocStr(std::string_view key);

// Parses one "key = text" table. Lines that are empty or start with '#' are
// skipped, as are lines without '='; spaces around key and text are dropped
// and "\n" in a text is a line break.
std::string LookUpString(std::string_view table, std::string_view key);
