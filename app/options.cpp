// kestrix [--source PIPELINE|demo] [--action ACTION] [--script PATH]
//         [--enable KEYS] [--disable KEYS]
#include "app/options.h"

#include "app/app_globals.h"
#include "engine/scanner_instance.h"
#include "toolbox/resources.h"

#include <array>
#include <filesystem>
#include <string_view>

namespace {

constexpr std::string_view kUsage =
    R"(Usage: kestrix [OPTION]...
Reads barcodes from the camera and types them into the active window, puts
them on the clipboard or hands them to a script, as chosen in the window.

  --source PIPELINE  read from a GStreamer source instead of the camera, e.g.
                     "videotestsrc" or "filesrc location=clip.mp4 ! decodebin"
  --source demo      play the bundled demo pictures as a camera would
  --action ACTION    what to do with each code: type, clipboard, script or
                     none (as if chosen in the window; kept for the next start)
  --script PATH      the program that "script" runs as PATH CODE SYMBOLOGY
                     (kept for the next start); a code may begin with "-"
  --enable KEYS      turn on the symbologies named by KEYS, a comma-separated
  --disable KEYS     list of ean8, ean1, upca, upce, coda, cd39, c128, i2o5,
                     cd32 or all (kept for the next start, as in Advanced
                     Settings)
  -h, --help         show this help and exit
  --version          show the version and exit

Options with a value also take the form --action=clipboard. A Code 39 space
is typed and delivered as "_", as Code 39 labels print it.

The window's place, the action, the script and the scanner settings are
kept in $XDG_CONFIG_HOME/com.vondrel.kestrix/preferences
(~/.config/com.vondrel.kestrix/preferences by default).
)";

struct ActionName {
    std::string_view name;
    OSType action;
};
constexpr std::array actionNames = {
    ActionName{"type", kActionSend}, ActionName{"clipboard", kActionClipboard},
    ActionName{"script", kActionScript}, ActionName{"none", kActionNone}};

constexpr std::array symbologyKeys = {kKeyEAN8,   kKeyEAN13,   kKeyUPCA,    kKeyUPCE,  kKeyCodabar,
                                      kKeyCode39, kKeyCode128, kKeyInt2of5, kKeyCode32};

// Adds the switches of a comma-separated list of keys; false on a key that
// names no symbology.
bool AddSwitches(std::string_view list, bool on, AppOptions& options, std::ostream& err) {
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        const OSType key = FourCCFromString(name);
        if (name == "all") {
            for (OSType k : symbologyKeys) options.switches.push_back({k, on});
        } else if (name.size() == 4 &&
                   std::ranges::find(symbologyKeys, key) != symbologyKeys.end()) {
            options.switches.push_back({key, on});
        } else {
            err << "kestrix: unknown symbology key '" << name
                << "'; use ean8, ean1, upca, upce, coda, cd39, c128, i2o5, cd32 or all\n";
            return false;
        }
        if (comma == std::string_view::npos) return true;
        list.remove_prefix(comma + 1);
    }
}

bool TakesValue(std::string_view name) {
    return name == "--source" || name == "--action" || name == "--script" || name == "--enable" ||
           name == "--disable";
}

} // namespace

std::optional<int> ParseOptions(const std::vector<std::string>& args, AppOptions& options,
                                std::ostream& out, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        }
        if (arg == "--version") {
            out << "kestrix " << KESTRIX_VERSION << "\n";
            return 0;
        }
        if (!arg.starts_with("-") || arg == "-" || arg == "--") {
            err << "kestrix: unexpected argument '" << arg << "'\nTry 'kestrix --help'.\n";
            return 2;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (!TakesValue(name)) {
            err << "kestrix: unknown option '" << name << "'\nTry 'kestrix --help'.\n";
            return 2;
        }
        std::string value;
        if (equals != std::string::npos)
            value = arg.substr(equals + 1);
        else if (i + 1 < args.size())
            value = args[++i];
        if (value.empty()) {
            err << "kestrix: " << name << " needs a value\nTry 'kestrix --help'.\n";
            return 2;
        }
        if (name == "--source") {
            options.source = value;
        } else if (name == "--script") {
            options.script = std::filesystem::absolute(value).lexically_normal().string();
        } else if (name == "--enable" || name == "--disable") {
            if (!AddSwitches(value, name == "--enable", options, err)) return 2;
        } else {
            options.action.reset();
            for (const ActionName& a : actionNames)
                if (value == a.name) options.action = a.action;
            if (!options.action) {
                err << "kestrix: --action takes type, clipboard, script or none, not '" << value
                    << "'\n";
                return 2;
            }
        }
    }
    return std::nullopt;
}
std::string DemoSourceDescription() {
    // Each picture is shown for 4 seconds, then the next; concat plays them
    // in turn and the capture loop starts again after the last.
    constexpr std::array pictures = {"ean13-photo.jpg", "upca-addon-photo.jpg",
                                     "code128-photo.jpg"};
    std::string description = "concat name=demo";
    for (const char* picture : pictures) {
        const std::string path = AppResourcePath(std::string("demo/") + picture).string();
        if (path.empty()) continue;
        description += " filesrc location=\"" + path +
                       "\" ! jpegdec ! videoconvert ! imagefreeze num-buffers=120 ! "
                       "video/x-raw,framerate=30/1 ! demo.";
    }
    // The capture's own elements follow the concatenation's output.
    return description + " demo.";
}
