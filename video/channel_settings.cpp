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
    // Written in place into its final size: GCC 12 reports overflows that
    // cannot happen in a vector grown by inserts here.
    std::vector<std::uint8_t> out(sizeof kMagic + 6 + idLength + 8 * count);
    std::span<std::uint8_t> rest(out);
    auto put16 = [&](std::uint16_t v) {
        StoreBigEndian16(v, rest.first<2>()), rest = rest.subspan(2);
    };
    auto put32 = [&](std::uint32_t v) {
        StoreBigEndian32(v, rest.first<4>()), rest = rest.subspan(4);
    };
    std::ranges::copy(kMagic, rest.begin()), rest = rest.subspan(sizeof kMagic);
    put16(kVersion);
    put16(std::uint16_t(idLength));
    std::copy_n(settings.deviceId.begin(), idLength, rest.begin()), rest = rest.subspan(idLength);
    put16(std::uint16_t(count));
    for (std::size_t i = 0; i < count; ++i) {
        put32(settings.controls[i].first);
        put32(std::uint32_t(settings.controls[i].second));
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
