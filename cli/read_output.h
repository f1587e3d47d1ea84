// How kestrix-scan prints an accepted read: NAME:TEXT, or one JSON object.
#pragma once

#include "toolbox/fourcc.h"

#include <cstddef>
#include <string>
#include <string_view>

struct ScanRead {
    std::size_t frame = 0; // the file's frame in which the read was accepted, from 0
    OSType symbology = 0;  // symbology code, 'ean1', 'c128', ...
    std::string text;      // the decoded characters
};

// "EAN-13:4006381333931"
std::string FormatReadLine(const ScanRead& read);

// {"file":"a.png","frame":0,"symbology":"ean1","name":"EAN-13","text":"4006381333931"}
std::string FormatReadJson(std::string_view file, const ScanRead& read);

// The read as a CSV record of the history's columns: the time now, the
// symbology's name, the text and "shown".
std::string FormatReadCsv(const ScanRead& read);

// text as a JSON string literal, quotes included. Bytes from 0x80 up are
// passed through when the text is valid UTF-8 and read as Latin-1 otherwise.
std::string JsonString(std::string_view text);
