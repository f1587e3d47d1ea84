// The 'chan' block: "KXch", version, the camera identifier and the control
// values, every number big-endian. Reading trusts no size: anything odd
// yields no settings, so the camera keeps its defaults.
#include "video/capture.h"

#include "toolbox/byte_order.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kMagic[4] = {'K', 'X', 'c', 'h'};
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kMaxIdLength = 4096;
constexpr std::size_t kMaxControls = 256;

} // namespace

std::vector<std::uint8_t> FlattenChannelSettings(const ChannelSettings& settings) {
    const std::size_t idLength = std::min(settings.deviceId.size(), kMaxIdLength);
    const std::size_t count = std::min(settings.controls.size(), kMaxControls);
    // Sized first: without it GCC 12 at -O3 (Release) reports overflows in
    // the inserts that cannot happen.
    std::vector<std::uint8_t> out;
    out.reserve(sizeof kMagic + 6 + idLength + 8 * count);
    out.insert(out.end(), std::begin(kMagic), std::end(kMagic));
    AppendBigEndian16(out, kVersion);
    AppendBigEndian16(out, std::uint16_t(idLength));
    out.insert(out.end(), settings.deviceId.begin(), settings.deviceId.begin() + idLength);
    AppendBigEndian16(out, std::uint16_t(count));
    for (std::size_t i = 0; i < count; ++i) {
        AppendBigEndian32(out, settings.controls[i].first);
        AppendBigEndian32(out, std::uint32_t(settings.controls[i].second));
    }
    return out;
}

std::optional<ChannelSettings> UnflattenChannelSettings(std::span<const std::uint8_t> block) {
    ByteReader in{block};
    std::span<const std::uint8_t> magic, id;
    std::uint16_t version = 0, idLength = 0, count = 0;
    if (!in.Take(sizeof kMagic, magic) || !std::ranges::equal(magic, kMagic) ||
        !in.Read16(version) || version != kVersion || !in.Read16(idLength) ||
        idLength > kMaxIdLength || !in.Take(idLength, id) || !in.Read16(count) ||
        count > kMaxControls || in.rest.size() != count * std::size_t(8))
        return std::nullopt;
    ChannelSettings settings;
    settings.deviceId.assign(id.begin(), id.end());
    for (std::uint16_t i = 0; i < count; ++i) {
        std::uint32_t control = 0, value = 0;
        in.Read32(control), in.Read32(value);
        settings.controls.emplace_back(control, std::int32_t(value));
    }
    return settings;
}
