// Parses kestrix-scan's arguments. Symbology switches are named by their
// settings keys, so the command line and the stored settings agree.
#include "cli/options.h"

#include "engine/scanner_instance.h"

#include <array>

namespace {

constexpr std::array symbologyKeys = {kKeyEAN8,   kKeyEAN13,   kKeyUPCA,    kKeyUPCE,  kKeyCodabar,
                                      kKeyCode39, kKeyCode128, kKeyInt2of5, kKeyCode32};
constexpr std::array supplementModes = {kSupplementIgnore, kSupplementRequire, kSupplementOptional};
constexpr std::string_view kAllKeys = "all";

bool Contains(std::span<const OSType> codes, OSType code) {
    for (OSType c : codes)
        if (c == code) return true;
    return false;
}

// Adds the switches for a comma-separated list of keys; false with error set
// on a key that names no symbology and is not 'hard'.
bool AddSwitches(std::string_view list, bool enabled, ScanOptions& options, std::string& error) {
    while (true) {
        const auto comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if (name == kAllKeys) {
            for (OSType key : symbologyKeys) options.switches.push_back({key, enabled});
        } else if (const OSType key = FourCCFromString(name);
                   Contains(symbologyKeys, key) || key == kKeyTryHarder) {
            options.switches.push_back({key, enabled});
        } else {
            error = "unknown symbology key '" + std::string(name) +
                    "'; use ean8, ean1, upca, upce, coda, cd39, c128, i2o5, cd32, all or hard";
            return false;
        }
        if (comma == std::string_view::npos) return true;
        list.remove_prefix(comma + 1);
    }
}

bool SetSupplement(std::string_view value, ScanOptions& options, std::string& error) {
    const OSType mode = FourCCFromString(value);
    if (!Contains(supplementModes, mode)) {
        error = "unknown add-on mode '" + std::string(value) + "'; use igno, requ or opti";
        return false;
    }
    options.supplement = mode;
    return true;
}

ParsedCommand UsageError(std::string message) {
    ParsedCommand command;
    command.action = CommandAction::kUsageError;
    command.error = std::move(message);
    return command;
}

} // namespace

ParsedCommand ParseCommandLine(std::span<const char* const> args) {
    ParsedCommand command;
    ScanOptions& options = command.options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
            options.files.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            command.action = CommandAction::kHelp;
            return command;
        }
        if (arg == "--version") {
            command.action = CommandAction::kVersion;
            return command;
        }
        if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
            continue;
        }
        if (arg == "--json" || arg == "--raw" || arg == "--csv") {
            const ReadFormat format = arg == "--json"  ? ReadFormat::kJson
                                      : arg == "--raw" ? ReadFormat::kRaw
                                                       : ReadFormat::kCsv;
            if (options.format != ReadFormat::kLine && options.format != format)
                return UsageError("--json, --raw and --csv cannot be combined");
            options.format = format;
            continue;
        }

        // Options with a value, as "--name value" or "--name=value"; the
        // value of --source may be left out.
        const auto equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        if (name == "--source") {
            const bool next =
                i + 1 < args.size() && !std::string_view(args[i + 1]).starts_with("-");
            options.source = equals != std::string_view::npos ? arg.substr(equals + 1)
                             : next                           ? args[++i]
                                                              : "";
            continue;
        }
        if (name != "--enable" && name != "--disable" && name != "--supplement" &&
            name != "--snapshot-dir")
            return UsageError("unknown option '" + std::string(arg) + "'");
        std::string_view value;
        if (equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return UsageError("option '" + std::string(name) + "' needs a value");
        }

        if (name == "--snapshot-dir") {
            options.snapshotDir = value;
            continue;
        }
        std::string error;
        const bool ok = name == "--supplement"
                            ? SetSupplement(value, options, error)
                            : AddSwitches(value, name == "--enable", options, error);
        if (!ok) return UsageError(error);
    }
    if (options.source && !options.files.empty())
        return UsageError("--source scans a live source; give no files with it");
    if (!options.source && !options.snapshotDir.empty())
        return UsageError("--snapshot-dir goes with --source");
    if (options.files.empty() && !options.source) return UsageError("no file to scan");
    return command;
}
