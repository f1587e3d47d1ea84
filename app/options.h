// The desktop program's command line.
#pragma once

#include "toolbox/fourcc.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct AppSwitch {
    OSType key; // a symbology's settings key
    bool on;
};

struct AppOptions {
    std::string source;                // GStreamer source description, "demo", or empty: the camera
    std::optional<OSType> action;      // --action, as if chosen in the popup
    std::optional<std::string> script; // --script, absolute, as if chosen
    std::vector<AppSwitch> switches;   // --enable and --disable, in order
};

// Reads the arguments after the program name. Returns nullopt to run, or the
// exit status after --help or --version (0) or a mistake (2, explained on
// err).
std::optional<int> ParseOptions(const std::vector<std::string>& args, AppOptions& options,
                                std::ostream& out, std::ostream& err);

// The pipeline that plays the demo pictures in turn, as a camera would.
std::string DemoSourceDescription();
