// File names as kestrix-scan shows them: in messages, a name holding
// control characters or bytes that are no UTF-8 is quoted as ls quotes it
// on a terminal ('a'$'\n''b.png'), so it can neither split a line nor
// drive the terminal; in JSON, such bytes are kept as bytes.
#pragma once

#include <string>
#include <string_view>

// The name as it stands when it is plain text, else in ls's shell quoting.
std::string ShownFileName(std::string_view name);

// The name as a JSON string literal, quotes included. A byte that is no
// part of valid UTF-8 is written as the lone surrogate \udcXX (XX its
// value), as Python's os.fsdecode reads it, so the name still names the
// same file; a valid name is written as JsonString writes text.
std::string JsonFileName(std::string_view name);
