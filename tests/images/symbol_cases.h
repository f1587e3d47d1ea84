// The symbols of the Code 128, Code 39, Codabar and Interleaved 2 of 5
// image tests, with the text the scanner must report for each.
#pragma once

#include "toolbox/fourcc.h"

#include <string>
#include <vector>

struct SymbolCase {
    std::string label; // names the case in messages
    int zintSymbology = 0;
    std::string data;     // what libzint is given
    std::string expected; // what the scanner must report
    OSType symbology = 0; // the code it must report
    double wideRatio = 0; // 0 for Code 128
};

// Code 128 in each code set, with set switches and a shift.
std::vector<SymbolCase> Code128Cases();
// Every character of Code 39's table, spread over symbols, at ratios 2.5 and 3.
std::vector<SymbolCase> Code39Cases();
// Each start letter with each stop letter, at ratios 2.5 and 3.
std::vector<SymbolCase> CodabarCases();
// 2 to 20 digits (odd counts padded with a leading zero), at ratios 2.5 and 3.
std::vector<SymbolCase> Int2of5Cases();
