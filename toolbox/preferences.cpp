// The preferences file: location, format and atomic saving.
#include "toolbox/preferences.h"

#include "toolbox/byte_order.h"
#include "toolbox/files.h"

#include <array>
#include <cstdio>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr std::size_t kHeaderSize = 12;  // magic, version, reserved, count
constexpr std::size_t kEntryMinSize = 8; // key length, value length
constexpr std::size_t kCrcSize = 4;

constexpr std::array<std::uint32_t, 256> crc32Table = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

// Makes the folder and any missing parents, private to the user as the XDG
// base directories ask; true when it exists as a folder afterwards.
bool MakeFolders(const std::filesystem::path& folder) {
    std::filesystem::path partial;
    for (const std::filesystem::path& part : folder) {
        partial /= part;
        ::mkdir(partial.c_str(), 0700);
    }
    std::error_code error;
    return std::filesystem::is_directory(folder, error);
}

} // namespace

std::filesystem::path PreferencesFilePath(std::string_view applicationId) {
    std::filesystem::path home = UserConfigFolder();
    if (home.empty() || applicationId.empty()) return {};
    return home / applicationId / "preferences";
}

std::uint32_t PreferencesChecksum(std::span<const std::uint8_t> bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes) c = crc32Table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::vector<std::uint8_t> SerializePreferences(const PreferencesValues& values) {
    std::vector<std::uint8_t> out;
    AppendCheckedFileHeader(out, kPreferencesMagic, kPreferencesVersion,
                            std::uint32_t(values.size()));
    for (const auto& [key, value] : values) {
        AppendBigEndian32(out, std::uint32_t(key.size()));
        out.insert(out.end(), key.begin(), key.end());
        AppendBigEndian32(out, std::uint32_t(value.size()));
        out.insert(out.end(), value.begin(), value.end());
    }
    AppendCheckedFileChecksum(out);
    return out;
}

void AppendCheckedFileHeader(std::vector<std::uint8_t>& out, std::uint32_t magic,
                             std::uint16_t version, std::uint32_t count) {
    AppendBigEndian32(out, magic);
    AppendBigEndian16(out, version);
    AppendBigEndian16(out, 0);
    AppendBigEndian32(out, count);
}

void AppendCheckedFileChecksum(std::vector<std::uint8_t>& out) {
    AppendBigEndian32(out, PreferencesChecksum(out));
}

std::optional<CheckedFileItems> OpenCheckedFile(std::span<const std::uint8_t> file,
                                                std::uint32_t magic, std::uint16_t version) {
    if (file.size() < kHeaderSize + kCrcSize) return std::nullopt;
    std::span<const std::uint8_t> body = file.first(file.size() - kCrcSize);
    if (PreferencesChecksum(body) != LoadBigEndian32(file.last<kCrcSize>())) return std::nullopt;
    ByteReader in{body};
    std::uint32_t fileMagic = 0, count = 0;
    std::uint16_t fileVersion = 0, reserved = 0;
    in.Read32(fileMagic), in.Read16(fileVersion), in.Read16(reserved), in.Read32(count);
    if (fileMagic != magic || fileVersion != version || reserved != 0) return std::nullopt;
    return CheckedFileItems{in, count};
}

std::optional<PreferencesValues> ParsePreferences(std::span<const std::uint8_t> file) {
    std::optional<CheckedFileItems> opened =
        OpenCheckedFile(file, kPreferencesMagic, kPreferencesVersion);
    if (!opened) return std::nullopt;
    ByteReader& in = opened->items;
    const std::uint32_t count = opened->count;
    if (count > in.rest.size() / kEntryMinSize) return std::nullopt;

    PreferencesValues values;
    for (std::uint32_t n = 0; n < count; ++n) {
        std::uint32_t keySize = 0, valueSize = 0;
        std::span<const std::uint8_t> key, value;
        if (!in.Read32(keySize) || !in.Take(keySize, key) || !in.Read32(valueSize) ||
            !in.Take(valueSize, value))
            return std::nullopt;
        std::string name(key.begin(), key.end());
        // Keys in strictly increasing order: each once, as we write them.
        if (!values.empty() && !(values.rbegin()->first < name)) return std::nullopt;
        values.emplace_hint(values.end(), std::move(name),
                            std::vector<std::uint8_t>(value.begin(), value.end()));
    }
    if (!in.rest.empty()) return std::nullopt;
    return values;
}

PreferencesValues ReadPreferences(std::string_view applicationId) {
    std::filesystem::path path = PreferencesFilePath(applicationId);
    std::vector<std::uint8_t> file;
    if (path.empty() || ReadWholeFile(path, kMaxPreferencesFileSize, &file) != noErr) return {};
    return ParsePreferences(file).value_or(PreferencesValues{});
}

std::optional<std::vector<std::uint8_t>> CopyPreferencesValue(std::string_view key,
                                                              std::string_view applicationId) {
    PreferencesValues values = ReadPreferences(applicationId);
    auto it = values.find(key);
    if (it == values.end()) return std::nullopt;
    return std::move(it->second);
}

bool SetAsideDamagedPreferences(std::string_view applicationId) {
    const std::filesystem::path path = PreferencesFilePath(applicationId);
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) return false;
    std::vector<std::uint8_t> file;
    const OSStatus status = ReadWholeFile(path, kMaxPreferencesFileSize, &file);
    const bool tooLarge = status == paramErr; // a regular file larger than any of ours
    if (status != noErr && !tooLarge) return false;
    if (!tooLarge && ParsePreferences(file)) return false;
    return ::rename(path.c_str(), (path.parent_path() / kDamagedPreferencesName).c_str()) == 0;
}

std::string PreferencesWriteTrouble(std::string_view applicationId) {
    const std::filesystem::path path = PreferencesFilePath(applicationId);
    if (path.empty()) return "neither XDG_CONFIG_HOME nor the home folder is known";
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(path, error))
        return path.string() + " is not a file";
    // The nearest folder that exists must let us write (to make the rest).
    std::filesystem::path folder = path.parent_path();
    while (!folder.empty() && !std::filesystem::exists(folder, error) &&
           folder != folder.parent_path())
        folder = folder.parent_path();
    if (!std::filesystem::is_directory(folder, error)) return folder.string() + " is not a folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return "the folder " + folder.string() + " is not writable";
    return {};
}

OSStatus SetPreferencesValue(std::string_view key, std::span<const std::uint8_t> value,
                             std::string_view applicationId) {
    std::filesystem::path path = PreferencesFilePath(applicationId);
    if (path.empty()) return ioErr;
    if (!MakeFolders(path.parent_path())) return ioErr;
    SetAsideDamagedPreferences(applicationId);

    PreferencesValues values = ReadPreferences(applicationId);
    values.insert_or_assign(std::string(key),
                            std::vector<std::uint8_t>(value.begin(), value.end()));
    std::vector<std::uint8_t> file = SerializePreferences(values);
    if (file.size() > kMaxPreferencesFileSize) return ioErr;
    return WriteFileAtomically(path, file, 0600);
}
