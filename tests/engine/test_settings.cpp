// Scanner settings: the focus distance's clamping, the stored form, the round trip through the
// preferences file, and stored values that must leave the defaults alone.
#include "engine/scanner_instance.h"
#include "engine/settings_store.h"
#include "tests/support/temp_config_home.h"
#include "toolbox/preferences.h"
#include "video/null_video.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Bytes = std::vector<std::uint8_t>;

InstancePtr Instance() {
    return InstancePtr(NewInstance(nullptr, nullptr, NullVideoHooks()));
}

std::array<std::uint8_t*, 14> Booleans(ScannerInstance* s) {
    return {&s->manualFocus,   &s->showTarget,    &s->enableEAN8,    &s->enableEAN13,
            &s->enableUPCA,    &s->enableUPCE,    &s->enableCodabar, &s->enableCode39,
            &s->enableCode128, &s->enableInt2of5, &s->appendKey,     &s->beepEnabled,
            &s->tryHarder,     &s->enableCode32};
}

// Every stored setting of an instance, to compare two instances at once.
Bytes Stored(const ScannerInstance* s) {
    return FlattenCollection(SettingsToCollection(s));
}

// Loads a stored value into a fresh instance.
Bytes LoadedFrom(const Bytes& stored) {
    EXPECT_EQ(SetPreferencesValue(kScannerSettingsKey, stored, kApplicationIdentifier), noErr);
    auto s = Instance();
    LoadSettings(s.get(), kScannerSettingsKey);
    return Stored(s.get());
}

} // namespace

// The focus distance is clamped to 0..1, and a damaged value never gets
// stored.
TEST(Settings, FocusDistanceStaysInItsRange) {
    auto s = Instance();
    SetDoubleInfo(s.get(), kKeyFocusDistance, 1.7);
    EXPECT_EQ(s->focusDistance, 1.0);
    SetDoubleInfo(s.get(), kKeyFocusDistance, 0.01);
    SetDoubleInfo(s.get(), kKeyFocusAdjust, -0.025);
    EXPECT_EQ(s->focusDistance, 0.0);
    SetDoubleInfo(s.get(), kKeyFocusAdjust, 0.025);
    EXPECT_DOUBLE_EQ(s->focusDistance, 0.025);
    SetDoubleInfo(s.get(), kKeyFocusDistance, std::nan(""));
    EXPECT_EQ(s->focusDistance, 0.0);
}

// The stored form, as files written before keep it: items in order, numbers
// big-endian, no 'prev' or 'scan', the camera's block last and only when
// there is one. Every setting turned over comes back from the file as it
// was, and the application's own preferences beside it are kept.
TEST(SettingsStore, StoredFormAndRoundTripThroughThePreferencesFile) {
    TempConfigHome home;
    auto s = Instance();
    s->focusDistance = 0.35;
    s->supplementMode = kSupplementRequire;
    const Collection c = SettingsToCollection(s.get());
    std::string tags;
    for (const CollectionItem& item : c.items) tags += FourCCToString(item.tag) + " ";
    EXPECT_EQ(tags, "focm focd targ ean8 ean1 upca upce coda cd39 c128 i2o5 supp appe appc beep "
                    "hard cd32 ");
    EXPECT_EQ(FindCollectionItem(c, "focd"_4cc, 1)->bytes,
              (Bytes{0x3F, 0xD6, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66}));
    EXPECT_EQ(FindCollectionItem(c, "supp"_4cc, 1)->bytes, (Bytes{'r', 'e', 'q', 'u'}));

    ASSERT_EQ(SetPreferencesValue("com.vondrel.kestrix.prefs", Bytes{1}, kApplicationIdentifier),
              noErr);
    for (std::uint8_t* b : Booleans(s.get())) *b = !*b;
    s->focusDistance = 1.0;
    s->supplementMode = kSupplementOptional;
    s->appendKeyCode = kAppendTab;
    s->channelSettings = Bytes(5000, 0x5A);
    s->previewEnabled = s->scanEnabled = false;
    ASSERT_EQ(SaveSettings(s.get(), kScannerSettingsKey), noErr);
    EXPECT_EQ(SettingsToCollection(s.get()).items.back().tag, "chan"_4cc);
    auto loaded = Instance();
    LoadSettings(loaded.get(), kScannerSettingsKey);
    EXPECT_EQ(Stored(loaded.get()), Stored(s.get()));
    EXPECT_TRUE(loaded->previewEnabled && loaded->scanEnabled);
    EXPECT_EQ(CopyPreferencesValue("com.vondrel.kestrix.prefs", kApplicationIdentifier), Bytes{1});
}

TEST(SettingsStore, DamagedStoredValuesLeaveDefaults) {
    TempConfigHome home;
    auto fresh = Instance();
    const Bytes defaults = Stored(fresh.get());

    // Nothing stored (a first launch), or whole stored values that are no
    // collection.
    LoadSettings(fresh.get(), kScannerSettingsKey);
    EXPECT_EQ(Stored(fresh.get()), defaults);
    for (const Bytes& stored : {Bytes{}, Bytes(defaults.begin(), defaults.end() - 1), Bytes{1}})
        EXPECT_EQ(LoadedFrom(stored), defaults);

    // Single items of the wrong size: truncated, empty or oversized. The
    // other items in the same value are still read.
    auto shown = Instance();
    shown->showTarget = 1; // 'targ'
    const Bytes targetOn = Stored(shown.get());
    for (auto [tag, size] : {std::pair{"focm"_4cc, 1u},
                             {"focd"_4cc, 8u},
                             {"supp"_4cc, 4u},
                             {"appc"_4cc, 4u},
                             {"hard"_4cc, 1u}}) {
        for (std::size_t wrong : {0u, size - 1, size + 1, 1000u}) {
            Collection c;
            AddCollectionItem(c, tag, 1, Bytes(wrong, 0));
            AddCollectionItem(c, "targ"_4cc, 1, Bytes{1});
            EXPECT_EQ(LoadedFrom(FlattenCollection(c)), targetOn)
                << FourCCToString(tag) << " of " << wrong;
        }
    }

    // A focus distance that is not a number in 0..1; an older value
    // without 'hard' and 'cd32' loads with Try harder on and Code 32 off.
    for (double distance : {-0.1, 1.5, std::nan(""), HUGE_VAL}) {
        auto s = Instance();
        s->focusDistance = distance;
        s->tryHarder = false;
        s->enableCode32 = true;
        Collection c = SettingsToCollection(s.get());
        c.items.resize(c.items.size() - 2); // 'hard' and 'cd32'
        EXPECT_EQ(LoadedFrom(FlattenCollection(c)), defaults) << distance;
    }
}
