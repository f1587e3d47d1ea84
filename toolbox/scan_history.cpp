// The history file: its format, reading with damaged files kept aside, and
// atomic saving; the repeat rule.
#include "toolbox/scan_history.h"

#include "toolbox/byte_order.h"
#include "toolbox/files.h"
#include "toolbox/preferences.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <system_error>

namespace {

constexpr std::size_t kEntryMinSize = 8 + 4 + 4 + 1 + 1 + 4;
constexpr const char* kDamagedSuffix = ".damaged";

constexpr std::array deliveryWords = {"shown", "typed", "clipboard", "script", "repeat"};

bool ReadByte(ByteReader& in, std::uint8_t& v) {
    std::span<const std::uint8_t> byte;
    if (!in.Take(1, byte)) return false;
    v = byte[0];
    return true;
}

bool ReadText(ByteReader& in, std::uint64_t size, std::string& out) {
    std::span<const std::uint8_t> bytes;
    if (!in.Take(size, bytes)) return false;
    out.assign(bytes.begin(), bytes.end());
    return true;
}

void AppendText(std::vector<std::uint8_t>& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

} // namespace

std::string_view HistoryDeliveryWord(HistoryDelivery delivery) {
    const auto index = std::size_t(delivery);
    return index < deliveryWords.size() ? deliveryWords[index] : "shown";
}

HistoryEntry HistoryEntryNow(OSType symbology, std::string_view name, std::string_view text,
                             HistoryDelivery delivery) {
    using namespace std::chrono;
    const std::int64_t ms =
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    const std::time_t seconds = std::time_t(ms / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {ms,      std::int32_t(local.tm_gmtoff), symbology, std::string(name), std::string(text),
            delivery};
}

std::string FormatHistoryTime(std::int64_t timeMs, std::int32_t utcOffset) {
    // Floor division, so that times before 1970 keep their second.
    std::int64_t seconds = timeMs / 1000 - (timeMs % 1000 < 0 ? 1 : 0);
    const std::time_t local = std::time_t(seconds + utcOffset);
    std::tm t{};
    gmtime_r(&local, &t);
    const char sign = utcOffset < 0 ? '-' : '+';
    const std::int32_t offset = utcOffset < 0 ? -utcOffset : utcOffset;
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, sign, int(offset / 3600),
                  int(offset / 60 % 60));
    return text;
}

std::filesystem::path HistoryFilePath(std::string_view applicationId) {
    const std::filesystem::path preferences = PreferencesFilePath(applicationId);
    if (preferences.empty()) return {};
    return preferences.parent_path() / "history";
}

std::vector<std::uint8_t> SerializeHistory(std::span<const HistoryEntry> entries) {
    if (entries.size() > kHistoryKeptReads) entries = entries.last(kHistoryKeptReads);
    std::vector<std::uint8_t> out;
    AppendCheckedFileHeader(out, kHistoryMagic, kHistoryVersion, std::uint32_t(entries.size()));
    for (const HistoryEntry& e : entries) {
        AppendBigEndian32(out, std::uint32_t(std::uint64_t(e.timeMs) >> 32));
        AppendBigEndian32(out, std::uint32_t(std::uint64_t(e.timeMs)));
        AppendBigEndian32(out, std::uint32_t(e.utcOffset));
        AppendBigEndian32(out, e.symbology);
        out.push_back(std::uint8_t(e.delivery));
        const std::string_view name = std::string_view(e.name).substr(0, 255);
        out.push_back(std::uint8_t(name.size()));
        AppendText(out, name);
        const std::string_view text = std::string_view(e.text).substr(0, kHistoryMaxTextBytes);
        AppendBigEndian32(out, std::uint32_t(text.size()));
        AppendText(out, text);
    }
    AppendCheckedFileChecksum(out);
    return out;
}

std::optional<std::vector<HistoryEntry>> ParseHistory(std::span<const std::uint8_t> file) {
    std::optional<CheckedFileItems> opened = OpenCheckedFile(file, kHistoryMagic, kHistoryVersion);
    if (!opened) return std::nullopt;
    ByteReader& in = opened->items;
    const std::uint32_t count = opened->count;
    if (count > kHistoryKeptReads || count > in.rest.size() / kEntryMinSize) return std::nullopt;

    std::vector<HistoryEntry> entries(count);
    for (HistoryEntry& e : entries) {
        std::uint32_t high = 0, low = 0, offset = 0, textSize = 0;
        std::uint8_t delivery = 0, nameSize = 0;
        if (!in.Read32(high) || !in.Read32(low) || !in.Read32(offset) || !in.Read32(e.symbology) ||
            !ReadByte(in, delivery) || !ReadByte(in, nameSize) || !ReadText(in, nameSize, e.name) ||
            !in.Read32(textSize) || textSize > kHistoryMaxTextBytes ||
            !ReadText(in, textSize, e.text))
            return std::nullopt;
        if (delivery > std::uint8_t(HistoryDelivery::kRepeat)) return std::nullopt;
        e.timeMs = std::int64_t((std::uint64_t(high) << 32) | low);
        e.utcOffset = std::int32_t(offset);
        e.delivery = HistoryDelivery(delivery);
    }
    if (!in.rest.empty()) return std::nullopt;
    return entries;
}

HistoryLoad LoadHistoryFile(const std::filesystem::path& path) {
    HistoryLoad load;
    std::vector<std::uint8_t> bytes;
    const OSStatus status = ReadWholeFile(path, kMaxHistoryFileSize, &bytes);
    if (status == fnfErr) return load;
    if (status == noErr) {
        if (std::optional<std::vector<HistoryEntry>> entries = ParseHistory(bytes)) {
            load.entries = std::move(*entries);
            return load;
        }
    }
    // Damaged, foreign, too large or unreadable: kept aside, never
    // overwritten, so that nothing of it is lost.
    std::error_code error;
    std::filesystem::rename(path, path.string() + kDamagedSuffix, error);
    load.state = error ? HistoryFileState::kStuck : HistoryFileState::kKeptAside;
    return load;
}

OSStatus SaveHistoryFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    if (path.empty()) return ioErr;
    std::filesystem::path partial;
    for (const std::filesystem::path& part : path.parent_path()) {
        partial /= part;
        ::mkdir(partial.c_str(), 0700); // private to the user, as the preferences' folder
    }
    return WriteFileAtomically(path, bytes, 0600);
}

bool RepeatFilter::IsRepeat(std::string_view text, std::int64_t nowMs,
                            std::int64_t windowMs) const {
    const auto it = taken.find(std::string(text));
    return it != taken.end() && nowMs - it->second < windowMs;
}

void RepeatFilter::Take(std::string_view text, std::int64_t nowMs, std::int64_t windowMs) {
    std::erase_if(taken, [&](const auto& t) { return nowMs - t.second >= windowMs; });
    taken.insert_or_assign(std::string(text), nowMs);
}
