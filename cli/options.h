// kestrix-scan's command line: the files to scan, the symbology switches
// and add-on mode to set on the scanner, and the output form.
#pragma once

#include "toolbox/fourcc.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct SymbologySwitch {
    OSType key;   // settings key: 'ean8', 'c128', ...
    bool enabled; // --enable or --disable
};

// How each read is printed.
enum class ReadFormat {
    kLine, // NAME:TEXT
    kJson, // one JSON object
    kRaw,  // TEXT alone
    kCsv,  // a CSV record: time, symbology, text, delivery
};

struct ScanOptions {
    std::vector<std::string> files;        // "-" stands for standard input
    std::vector<SymbologySwitch> switches; // in command-line order
    std::optional<OSType> supplement;      // 'igno', 'requ' or 'opti'; unset keeps the default
    ReadFormat format = ReadFormat::kLine;
    std::optional<std::string> source; // --source: live; empty for the camera
    std::string snapshotDir;           // --snapshot-dir: where to save each read's frame
    bool verbose = false;              // --verbose: the libraries' own words after ours
};

enum class CommandAction { kScan, kHelp, kVersion, kUsageError };

struct ParsedCommand {
    CommandAction action = CommandAction::kScan;
    ScanOptions options;
    std::string error; // for kUsageError: what was wrong with the command line
};

// Parses the arguments after the program name.
ParsedCommand ParseCommandLine(std::span<const char* const> args);

// The text that --help prints.
std::string_view HelpText();
