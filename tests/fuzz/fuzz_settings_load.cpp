// Fuzzes loading the scanner settings from the preferences file on disk, as
// at start-up: the input is written as the file (its checksum mended when it
// does not hold, so that mutations reach the parsing) and read back into an
// instance holding the defaults. It must keep a focus distance in 0..1, and its
// camera block must either be refused or read into settings that write back
// to the very same bytes.
#include "engine/scanner_instance.h"
#include "engine/settings_store.h"
#include "tests/support/temp_config_home.h"
#include "toolbox/byte_order.h"
#include "toolbox/preferences.h"
#include "video/capture.h"

#include <cstdlib>
#include <fstream>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Require(bool condition) {
    if (!condition) std::abort();
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    Require(bool(out));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TempConfigHome home;
    static const std::filesystem::path file = [] {
        std::filesystem::path path = PreferencesFilePath(kApplicationIdentifier);
        std::filesystem::create_directories(path.parent_path());
        return path;
    }();

    std::span<const std::uint8_t> input(data, size);
    Bytes bytes(input.begin(), input.end());
    if (!ParsePreferences(input)) {
        bytes.resize(size + 4);
        StoreBigEndian32(PreferencesChecksum(input), std::span(bytes).last<4>());
    }
    WriteFile(file, bytes);

    // Only the settings fields are read into; a whole new instance (frame,
    // lasers) would slow each run a hundredfold.
    ScannerInstance s{};
    s.focusDistance = 0.2;
    LoadSettings(&s, kScannerSettingsKey);
    Require(s.focusDistance >= 0.0 && s.focusDistance <= 1.0);
    if (std::optional<ChannelSettings> chan = UnflattenChannelSettings(s.channelSettings))
        Require(FlattenChannelSettings(*chan) == s.channelSettings);
    return 0;
}
