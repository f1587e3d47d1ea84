// The scan history: one record per read, newest last in a file of its own
// beside the preferences,
//   $XDG_CONFIG_HOME/<application identifier>/history
// written whole or not at all (temporary file, fsync, rename). A file that
// cannot be read as a whole is renamed to "history.damaged" (replacing an
// older one) and the history starts empty.
//
// File format, version 1, every number big-endian:
//   "KHst"  magic, 4 bytes
//   u16     format version (1)
//   u16     reserved, 0
//   u32     read count, at most kHistoryKeptReads
//   per read, oldest first:
//           u64 time, milliseconds since 1970-01-01 UTC (signed)
//           u32 the local time's offset from UTC then, seconds (signed)
//           u32 symbology code
//           u8  delivery (HistoryDelivery)
//           u8  symbology name length, name bytes
//           u32 text length (at most kHistoryMaxTextBytes), text bytes
//   u32     CRC-32 (IEEE) of every byte before it
#pragma once

#include "toolbox/fourcc.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

constexpr OSType kHistoryMagic = "KHst"_4cc;
constexpr std::uint16_t kHistoryVersion = 1;
constexpr std::size_t kHistoryKeptReads = 1000;    // kept across restarts
constexpr std::size_t kHistoryMaxTextBytes = 4096; // a longer text is not ours
constexpr std::uint64_t kMaxHistoryFileSize = 8u << 20;

// How a read was handed on. A repeat is a read of a code taken shortly
// before, which was shown and not delivered.
enum class HistoryDelivery : std::uint8_t { kShown, kTyped, kClipboard, kScript, kRepeat };

// "shown", "typed", "clipboard", "script", "repeat".
std::string_view HistoryDeliveryWord(HistoryDelivery delivery);

struct HistoryEntry {
    std::int64_t timeMs = 0;    // milliseconds since 1970-01-01 UTC
    std::int32_t utcOffset = 0; // seconds east of UTC, at that time and place
    OSType symbology = 0;       // 'ean1', 'c128', ...
    std::string name;           // the symbology's name as shown: "EAN-13"
    std::string text;           // the code, as read
    HistoryDelivery delivery = HistoryDelivery::kShown;
    bool operator==(const HistoryEntry&) const = default;
};

// A read made now, with the local time's offset from UTC.
HistoryEntry HistoryEntryNow(OSType symbology, std::string_view name, std::string_view text,
                             HistoryDelivery delivery);

// "2026-12-08T14:05:09+01:00": the local time with its offset (ISO 8601).
std::string FormatHistoryTime(std::int64_t timeMs, std::int32_t utcOffset);

// The history file beside the application's preferences; empty when no
// configuration folder is known.
std::filesystem::path HistoryFilePath(std::string_view applicationId);

// The file's bytes for entries, oldest first; at most the newest
// kHistoryKeptReads of them, texts cut at kHistoryMaxTextBytes.
std::vector<std::uint8_t> SerializeHistory(std::span<const HistoryEntry> entries);
// The entries of a history file's bytes, oldest first; nullopt for anything
// that is not an intact file of this format.
std::optional<std::vector<HistoryEntry>> ParseHistory(std::span<const std::uint8_t> file);

enum class HistoryFileState {
    kLoaded,    // read whole (also: no file yet)
    kKeptAside, // damaged: renamed to history.damaged
    kStuck,     // damaged and could not be moved: it must not be overwritten
};
struct HistoryLoad {
    std::vector<HistoryEntry> entries; // oldest first
    HistoryFileState state = HistoryFileState::kLoaded;
};
HistoryLoad LoadHistoryFile(const std::filesystem::path& path);

// Writes the file whole or not at all, making its folder; noErr or ioErr.
OSStatus SaveHistoryFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// "Ignore the same code again within N seconds": a read of a text taken
// less than the window before is a repeat. Times on a steady clock.
struct RepeatFilter {
    std::unordered_map<std::string, std::int64_t> taken; // text: when last taken, ms

    bool IsRepeat(std::string_view text, std::int64_t nowMs, std::int64_t windowMs) const;
    // Notes the text as taken now, and forgets what lies beyond the window.
    void Take(std::string_view text, std::int64_t nowMs, std::int64_t windowMs);
};
