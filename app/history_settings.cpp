// The history's preferences items.
#include "app/history_settings.h"

#include "toolbox/byte_order.h"
#include "toolbox/collection.h"

#include <algorithm>
#include <array>

namespace {

constexpr OSType kItemKeep = "hkep"_4cc;
constexpr OSType kItemRepeat = "hdup"_4cc;
constexpr OSType kItemShown = "hvis"_4cc;
constexpr std::int32_t kItemId = 1;

std::uint32_t GetNumber(const Collection& collection, OSType tag, std::uint32_t value) {
    std::array<std::uint8_t, 4> bytes{};
    StoreBigEndian32(value, bytes);
    AppGetCollectionItem(collection, tag, kItemId, 4, bytes.data());
    return LoadBigEndian32(bytes);
}

void AddNumber(Collection& collection, OSType tag, std::uint32_t value) {
    std::array<std::uint8_t, 4> bytes{};
    StoreBigEndian32(value, bytes);
    AddCollectionItem(collection, tag, kItemId, bytes);
}

} // namespace

void GetHistorySettings(const Collection& collection, HistorySettings& settings) {
    settings.keep = GetNumber(collection, kItemKeep, settings.keep) != 0;
    settings.repeatSeconds = std::clamp(
        std::int32_t(GetNumber(collection, kItemRepeat, std::uint32_t(settings.repeatSeconds))), 0,
        kMaxRepeatSeconds);
    settings.panelShown = GetNumber(collection, kItemShown, settings.panelShown) != 0;
}

void AddHistorySettings(Collection& collection, const HistorySettings& settings) {
    AddNumber(collection, kItemKeep, settings.keep);
    AddNumber(collection, kItemRepeat, std::uint32_t(settings.repeatSeconds));
    AddNumber(collection, kItemShown, settings.panelShown);
}
