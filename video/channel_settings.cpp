// The 'chan' block: "KXch", version, the camera identifier and the control
// values, every number big-endian. Reading trusts no size: anything odd
// yields no settings, so the camera keeps its defaults.
#include "video/capture.h"

namespace {

constexpr std::uint8_t kMagic[4] = {'K', 'X', 'c', 'h'};
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kMaxIdLength = 4096;
constexpr std::size_t kMaxControls = 256;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v >> 16);
    Put16(out, v & 0xFFFF);
}

struct Reader {
    std::span<const std::uint8_t> bytes;
    bool ok = true;

    std::uint32_t Take(std::size_t n) {
        if (bytes.size() < n) {
            ok = false;
            return 0;
        }
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v = (v << 8) | bytes[i];
        bytes = bytes.subspan(n);
        return v;
    }
};

} // namespace

std::vector<std::uint8_t> FlattenChannelSettings(const ChannelSettings& settings) {
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    Put16(out, kVersion);
    const std::size_t idLength = std::min(settings.deviceId.size(), kMaxIdLength);
    Put16(out, std::uint32_t(idLength));
    out.insert(out.end(), settings.deviceId.begin(), settings.deviceId.begin() + idLength);
    const std::size_t count = std::min(settings.controls.size(), kMaxControls);
    Put16(out, std::uint32_t(count));
    for (std::size_t i = 0; i < count; ++i) {
        Put32(out, settings.controls[i].first);
        Put32(out, std::uint32_t(settings.controls[i].second));
    }
    return out;
}

std::optional<ChannelSettings> UnflattenChannelSettings(std::span<const std::uint8_t> block) {
    Reader in{block};
    for (std::uint8_t m : kMagic)
        if (in.Take(1) != m) return std::nullopt;
    if (in.Take(2) != kVersion) return std::nullopt;
    const std::size_t idLength = in.Take(2);
    if (!in.ok || idLength > kMaxIdLength || in.bytes.size() < idLength) return std::nullopt;
    ChannelSettings settings;
    settings.deviceId.assign(in.bytes.begin(), in.bytes.begin() + idLength);
    in.bytes = in.bytes.subspan(idLength);
    const std::size_t count = in.Take(2);
    if (!in.ok || count > kMaxControls || in.bytes.size() != count * 8) return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t id = in.Take(4);
        settings.controls.emplace_back(id, std::int32_t(in.Take(4)));
    }
    return settings;
}
