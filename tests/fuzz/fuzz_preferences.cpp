// Fuzzes what Kestrix reads back from disk: flattened collections, the
// preferences file, the scan history file, the scanner settings taken from a
// collection and their camera block. Any input must either be refused or
// read into values that write back to the very same bytes, the focus
// distance kept in 0..1; nothing may crash, leak or read out of bounds.
#include "engine/scanner_instance.h"
#include "engine/settings_store.h"
#include "toolbox/byte_order.h"
#include "toolbox/collection.h"
#include "toolbox/preferences.h"
#include "toolbox/scan_history.h"
#include "video/capture.h"

#include <cstdlib>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckCollection(std::span<const std::uint8_t> input) {
    Collection c;
    if (UnflattenCollection(input, c) != noErr) {
        Require(c.items.empty());
        return;
    }
    Require(FlattenCollection(c) == Bytes(input.begin(), input.end()));

    ScannerInstance s{};
    s.focusDistance = 0.2;
    SettingsFromCollection(&s, c);
    Require(s.focusDistance >= 0.0 && s.focusDistance <= 1.0);
    Bytes chan;
    AppGetCollectionItemHandle(c, kKeyChannelSettings, 1, &chan);
    Require(chan == s.channelSettings);
    if (std::optional<ChannelSettings> camera = UnflattenChannelSettings(chan))
        Require(FlattenChannelSettings(*camera) == chan);
}

void CheckPreferences(std::span<const std::uint8_t> input) {
    std::optional<PreferencesValues> values = ParsePreferences(input);
    if (!values) return;
    Require(SerializePreferences(*values) == Bytes(input.begin(), input.end()));
    for (const auto& [key, value] : *values) CheckCollection(value);
}

void CheckHistory(std::span<const std::uint8_t> input) {
    std::optional<std::vector<HistoryEntry>> entries = ParseHistory(input);
    if (entries) Require(SerializeHistory(*entries) == Bytes(input.begin(), input.end()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> input(data, size);
    CheckCollection(input);
    CheckPreferences(input);
    CheckHistory(input);

    // The input again as the body of a preferences file with its checksum
    // mended, so that mutations get past the checksum to the parsing.
    Bytes file(input.begin(), input.end());
    file.resize(size + 4);
    StoreBigEndian32(PreferencesChecksum(input), std::span(file).last<4>());
    CheckPreferences(file);
    CheckHistory(file);
    return 0;
}
