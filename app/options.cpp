// kestrix [--source PIPELINE|demo] [--action type|clipboard|script|none]
#include "app/options.h"

#include "app/app_globals.h"
#include "toolbox/resources.h"

#include <array>
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
  --help             show this help and exit
  --version          show the version and exit
)";

struct ActionName {
    std::string_view name;
    OSType action;
};
constexpr std::array actionNames = {
    ActionName{"type", kActionSend}, ActionName{"clipboard", kActionClipboard},
    ActionName{"script", kActionScript}, ActionName{"none", kActionNone}};

} // namespace

std::optional<int> ParseOptions(const std::vector<std::string>& args, AppOptions& options,
                                std::ostream& out, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            out << kUsage;
            return 0;
        }
        if (arg == "--version") {
            out << "kestrix " << KESTRIX_VERSION << "\n";
            return 0;
        }
        const bool takesValue = arg == "--source" || arg == "--action";
        if (!takesValue) {
            err << "kestrix: unknown option '" << arg << "'\nTry 'kestrix --help'.\n";
            return 2;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            err << "kestrix: " << arg << " needs a value\nTry 'kestrix --help'.\n";
            return 2;
        }
        const std::string& value = args[++i];
        if (arg == "--source") {
            options.source = value;
            continue;
        }
        options.action.reset();
        for (const ActionName& a : actionNames)
            if (value == a.name) options.action = a.action;
        if (!options.action) {
            err << "kestrix: --action takes type, clipboard, script or none, not '" << value
                << "'\n";
            return 2;
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
