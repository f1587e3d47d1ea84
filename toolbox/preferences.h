// The preferences store: per application identifier, a file of keys, each
// holding a byte string. The file lives at
//   $XDG_CONFIG_HOME/<application identifier>/preferences
// ($XDG_CONFIG_HOME defaults to ~/.config) and is written atomically. A
// file that is damaged, truncated, foreign or unreadable reads as holding no
// keys, and is left as it is until the next save, which keeps a damaged
// one aside as "preferences.damaged".
//
// File format, version 1, every number big-endian:
//   "KPrf"  magic, 4 bytes
//   u16     format version (1)
//   u16     reserved, 0
//   u32     key count
//   per key, in increasing byte order of the keys, each key once:
//           u32 key length, key bytes (UTF-8), u32 value length, value bytes
//   u32     CRC-32 (IEEE) of every byte before it
#pragma once

#include "toolbox/byte_order.h"

#include "toolbox/fourcc.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Kestrix's application identifier: the scanner settings and the
// application's preferences are two keys of its store.
constexpr std::string_view kApplicationIdentifier = "com.vondrel.kestrix";

constexpr OSType kPreferencesMagic = "KPrf"_4cc;
constexpr std::uint16_t kPreferencesVersion = 1;
constexpr std::uint64_t kMaxPreferencesFileSize = 16u << 20; // larger is not ours

using PreferencesValues = std::map<std::string, std::vector<std::uint8_t>, std::less<>>;

// The file of the application's store; empty when neither $XDG_CONFIG_HOME
// (an absolute path) nor the home folder is known.
std::filesystem::path PreferencesFilePath(std::string_view applicationId);

// The CRC-32 (IEEE 802.3) that ends a preferences file.
std::uint32_t PreferencesChecksum(std::span<const std::uint8_t> bytes);

// The framing of our checked files (the preferences, the scan history): a
// header of magic, version, a reserved 0 and an item count, the items, and
// the CRC-32 of everything before it.
void AppendCheckedFileHeader(std::vector<std::uint8_t>& out, std::uint32_t magic,
                             std::uint16_t version, std::uint32_t count);
void AppendCheckedFileChecksum(std::vector<std::uint8_t>& out);
struct CheckedFileItems {
    ByteReader items;    // the bytes between the header and the checksum
    std::uint32_t count; // as the header says: to be checked against items
};
// Nullopt unless the file is intact and has that magic and version.
std::optional<CheckedFileItems> OpenCheckedFile(std::span<const std::uint8_t> file,
                                                std::uint32_t magic, std::uint16_t version);

std::vector<std::uint8_t> SerializePreferences(const PreferencesValues& values);

// The keys of a preferences file's bytes; nullopt for anything that is not
// an intact file of this format.
std::optional<PreferencesValues> ParsePreferences(std::span<const std::uint8_t> file);

// The whole store as it is on disk; empty for a missing or unreadable file.
PreferencesValues ReadPreferences(std::string_view applicationId);

// The value stored under key, or nullopt when there is none.
std::optional<std::vector<std::uint8_t>> CopyPreferencesValue(std::string_view key,
                                                              std::string_view applicationId);

// The name beside the store's file under which a damaged one is kept.
constexpr std::string_view kDamagedPreferencesName = "preferences.damaged";

// Moves the store's file aside as preferences.damaged (replacing an older
// one) when it is a regular file that can be read but is not an intact file
// of this format. True when it did; the store then holds no keys.
bool SetAsideDamagedPreferences(std::string_view applicationId);

// Why the store's file could not be written, in plain words, or empty when
// nothing stands in the way that can be seen without writing: the path is
// a folder or other non-file, or the folder is not writable.
std::string PreferencesWriteTrouble(std::string_view applicationId);

// Stores value under key, keeping the other keys of the store, and writes
// the file out at once (creating its folder), a damaged file first set
// aside. noErr, or ioErr when nothing could be written; the file on disk is
// then as it was.
OSStatus SetPreferencesValue(std::string_view key, std::span<const std::uint8_t> value,
                             std::string_view applicationId);
