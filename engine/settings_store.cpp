// Scanner settings persistence over the toolbox collections and the
// preferences store.
#include "engine/settings_store.h"

#include "engine/scanner_instance.h"
#include "toolbox/byte_order.h"
#include "toolbox/preferences.h"

#include <array>
#include <span>
#include <variant>

namespace {

constexpr std::int32_t kItemId = 1;

using BooleanField = std::uint8_t ScannerInstance::*;
using DoubleField = double ScannerInstance::*;
using CodeField = OSType ScannerInstance::*;

struct StoredSetting {
    OSType tag;
    std::variant<BooleanField, DoubleField, CodeField> field;
};

// In the order in which they are stored.
constexpr std::array<StoredSetting, 17> storedSettings = {{
    {kKeyManualFocus, &ScannerInstance::manualFocus},
    {kKeyFocusDistance, &ScannerInstance::focusDistance},
    {kKeyShowTarget, &ScannerInstance::showTarget},
    {kKeyEAN8, &ScannerInstance::enableEAN8},
    {kKeyEAN13, &ScannerInstance::enableEAN13},
    {kKeyUPCA, &ScannerInstance::enableUPCA},
    {kKeyUPCE, &ScannerInstance::enableUPCE},
    {kKeyCodabar, &ScannerInstance::enableCodabar},
    {kKeyCode39, &ScannerInstance::enableCode39},
    {kKeyCode128, &ScannerInstance::enableCode128},
    {kKeyInt2of5, &ScannerInstance::enableInt2of5},
    {kKeySupplement, &ScannerInstance::supplementMode},
    {kKeyAppendKey, &ScannerInstance::appendKey},
    {kKeyAppendKeyCode, &ScannerInstance::appendKeyCode},
    {kKeyBeep, &ScannerInstance::beepEnabled},
    {kKeyTryHarder, &ScannerInstance::tryHarder},
    {kKeyCode32, &ScannerInstance::enableCode32},
}};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

} // namespace

Collection SettingsToCollection(const ScannerInstance* instance) {
    Collection collection;
    for (const StoredSetting& setting : storedSettings) {
        std::array<std::uint8_t, 8> bytes{};
        std::size_t size =
            std::visit(Overloaded{
                           [&](BooleanField f) {
                               bytes[0] = instance->*f;
                               return std::size_t(1);
                           },
                           [&](DoubleField f) {
                               StoreBigEndianDouble(instance->*f, std::span(bytes).first<8>());
                               return std::size_t(8);
                           },
                           [&](CodeField f) {
                               StoreBigEndian32(instance->*f, std::span(bytes).first<4>());
                               return std::size_t(4);
                           },
                       },
                       setting.field);
        AddCollectionItem(collection, setting.tag, kItemId, std::span(bytes).first(size));
    }
    if (!instance->channelSettings.empty())
        AddCollectionItem(collection, kKeyChannelSettings, kItemId, instance->channelSettings);
    return collection;
}

void SettingsFromCollection(ScannerInstance* instance, const Collection& collection) {
    for (const StoredSetting& setting : storedSettings) {
        std::visit(Overloaded{
                       [&](BooleanField f) {
                           AppGetCollectionItem(collection, setting.tag, kItemId, 1,
                                                &(instance->*f));
                       },
                       [&](DoubleField f) {
                           std::array<std::uint8_t, 8> bytes{};
                           StoreBigEndianDouble(instance->*f, bytes);
                           AppGetCollectionItem(collection, setting.tag, kItemId, 8, bytes.data());
                           double value = LoadBigEndianDouble(bytes);
                           // The only double is the focus distance.
                           if (value >= 0.0 && value <= 1.0) instance->*f = value;
                       },
                       [&](CodeField f) {
                           std::array<std::uint8_t, 4> bytes{};
                           StoreBigEndian32(instance->*f, bytes);
                           AppGetCollectionItem(collection, setting.tag, kItemId, 4, bytes.data());
                           instance->*f = LoadBigEndian32(bytes);
                       },
                   },
                   setting.field);
    }
    AppGetCollectionItemHandle(collection, kKeyChannelSettings, kItemId,
                               &instance->channelSettings);
}

OSStatus SaveSettings(const ScannerInstance* instance, std::string_view key) {
    if (!instance) return paramErr;
    std::vector<std::uint8_t> flat = FlattenCollection(SettingsToCollection(instance));
    return SetPreferencesValue(key, flat, kApplicationIdentifier);
}

void LoadSettings(ScannerInstance* instance, std::string_view key) {
    if (!instance) return;
    std::optional<std::vector<std::uint8_t>> stored =
        CopyPreferencesValue(key, kApplicationIdentifier);
    if (!stored) return;
    Collection collection;
    UnflattenCollection(*stored, collection);
    SettingsFromCollection(instance, collection);
}
