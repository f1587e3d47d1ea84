// Preferences items, every one with id 1: 'swrt' the window's outer bounds
// (top, left, bottom, right, 16 bits each), 'actn' the action code (32
// bits), both big-endian; 'scpt' the script's absolute path in UTF-8, only
// when a script is chosen.
#include "app/preferences.h"

#include "app/app_globals.h"
#include "engine/settings_store.h"
#include "toolbox/byte_order.h"
#include "toolbox/collection.h"
#include "toolbox/preferences.h"

#include <QMainWindow>
#include <array>

namespace {

constexpr OSType kItemWindowBounds = "swrt"_4cc;
constexpr OSType kItemAction = "actn"_4cc;
constexpr OSType kItemScript = "scpt"_4cc;
constexpr std::int32_t kItemId = 1;

std::array<std::uint8_t, 8> RectBytes(const Rect& r) {
    std::array<std::uint8_t, 8> bytes{};
    const std::int16_t fields[] = {r.top, r.left, r.bottom, r.right};
    for (int i = 0; i < 4; ++i)
        StoreBigEndian16(std::uint16_t(fields[i]), std::span(bytes).subspan(2 * i).first<2>());
    return bytes;
}

Rect RectFromBytes(const std::array<std::uint8_t, 8>& bytes) {
    auto field = [&](int i) {
        return std::int16_t(LoadBigEndian16(std::span(bytes).subspan(2 * i).first<2>()));
    };
    return {field(0), field(1), field(2), field(3)};
}

} // namespace

void LoadPreferences() {
    globals->settingsWereReset = SetAsideDamagedPreferences(kApplicationIdentifier);
    std::optional<std::vector<std::uint8_t>> value =
        CopyPreferencesValue(kPreferencesKey, kApplicationIdentifier);
    if (!value) return;
    Collection collection;
    UnflattenCollection(*value, collection);

    std::array<std::uint8_t, 8> bounds = RectBytes(globals->windowBounds);
    AppGetCollectionItem(collection, kItemWindowBounds, kItemId, 8, bounds.data());
    globals->windowBounds = RectFromBytes(bounds);

    std::array<std::uint8_t, 4> action{};
    StoreBigEndian32(globals->action, action);
    AppGetCollectionItem(collection, kItemAction, kItemId, 4, action.data());
    globals->action = LoadBigEndian32(action);

    std::vector<std::uint8_t> script;
    AppGetCollectionItemHandle(collection, kItemScript, kItemId, &script);
    globals->scriptPath.assign(script.begin(), script.end());
    GetHistorySettings(collection, globals->history);
}

OSStatus SavePreferences() {
    const QRect frame = globals->window->frameGeometry();
    globals->windowBounds = {std::int16_t(frame.top()), std::int16_t(frame.left()),
                             std::int16_t(frame.bottom() + 1), std::int16_t(frame.right() + 1)};
    Collection collection;
    AddCollectionItem(collection, kItemWindowBounds, kItemId, RectBytes(globals->windowBounds));
    std::array<std::uint8_t, 4> action{};
    StoreBigEndian32(globals->action, action);
    AddCollectionItem(collection, kItemAction, kItemId, action);
    if (!globals->scriptPath.empty()) {
        const std::string& path = globals->scriptPath;
        AddCollectionItem(
            collection, kItemScript, kItemId,
            std::span(reinterpret_cast<const std::uint8_t*>(path.data()), path.size()));
    }
    AddHistorySettings(collection, globals->history);
    return SetPreferencesValue(kPreferencesKey, FlattenCollection(collection),
                               kApplicationIdentifier);
}

namespace {

void SayChoicesNotSaved(const std::string& trouble) {
    if (globals->saveNoteShown) return;
    globals->saveNoteShown = true;
    ShowWindowNote(QStringLiteral("Kestrix cannot save its settings (%1): what you change now is "
                                  "lost when it quits.")
                       .arg(QString::fromStdString(trouble)));
}

} // namespace

void SaveChoices() {
    if (!globals->instance || !globals->window) return;
    const OSStatus settings = SaveSettings(globals->instance, kScannerSettingsKey);
    if (settings != noErr || SavePreferences() != noErr) {
        std::string trouble = PreferencesWriteTrouble(kApplicationIdentifier);
        SayChoicesNotSaved(trouble.empty() ? PreferencesFilePath(kApplicationIdentifier).string() +
                                                 " could not be written"
                                           : trouble);
    }
}

void CheckChoicesCanBeSaved() {
    if (std::string trouble = PreferencesWriteTrouble(kApplicationIdentifier); !trouble.empty())
        SayChoicesNotSaved(trouble);
}
