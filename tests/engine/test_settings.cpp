// Scanner settings: the accessors by key and type with their clamping, what
// is stored, the round trip through the preferences file, and stored values
// that must leave the defaults alone.
#include "engine/scanner_instance.h"
#include "engine/settings_store.h"
#include "tests/support/temp_config_home.h"
#include "toolbox/preferences.h"
#include "video/null_video.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Bytes = std::vector<std::uint8_t>;

InstancePtr Instance() {
    return InstancePtr(NewInstance(nullptr, nullptr, NullVideoHooks()));
}

// Every stored setting of an instance, to compare two instances at once.
struct Snapshot {
    Bytes booleans;
    double focusDistance;
    OSType supplementMode, appendKeyCode;
    Bytes channelSettings;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const ScannerInstance* s) {
    return {{s->manualFocus, s->showTarget, s->enableEAN8, s->enableEAN13, s->enableUPCA,
             s->enableUPCE, s->enableCodabar, s->enableCode39, s->enableCode128, s->enableInt2of5,
             s->appendKey, s->beepEnabled, s->tryHarder, s->enableCode32},
            s->focusDistance,
            s->supplementMode,
            s->appendKeyCode,
            s->channelSettings};
}

std::vector<OSType> Tags(const Collection& c) {
    std::vector<OSType> tags;
    for (const CollectionItem& item : c.items) {
        EXPECT_EQ(item.id, 1);
        tags.push_back(item.tag);
    }
    return tags;
}

// Loads a stored value into a fresh instance.
InstancePtr LoadedFrom(const Bytes& stored) {
    EXPECT_EQ(SetPreferencesValue(kScannerSettingsKey, stored, kApplicationIdentifier), noErr);
    auto s = Instance();
    LoadSettings(s.get(), kScannerSettingsKey);
    return s;
}

} // namespace

// Keys of another type, or none, are ignored; booleans keep their low 8
// bits; the focus distance is clamped to 0..1, and a damaged value never
// gets stored.
TEST(Settings, AccessorsByKeyAndType) {
    auto s = Instance();
    ASSERT_TRUE(s);
    EXPECT_EQ(GetBooleanInfo(s.get(), kKeySupplement), 0);
    EXPECT_EQ(GetOSTypeInfo(s.get(), kKeyScan), 0u);
    SetBooleanInfo(s.get(), "nope"_4cc, 1);
    SetOSTypeInfo(s.get(), kKeyScan, "igno"_4cc);
    EXPECT_EQ(GetBooleanInfo(s.get(), kKeyScan), 1);
    SetBooleanInfo(s.get(), kKeyScan, 256);
    EXPECT_EQ(GetBooleanInfo(s.get(), kKeyScan), 0);
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

TEST(SettingsStore, ItemsInOrderWithBigEndianNumbers) {
    auto s = Instance();
    s->focusDistance = 0.35;
    s->supplementMode = kSupplementRequire;
    Collection c = SettingsToCollection(s.get());
    const std::vector<OSType> expected = {
        "focm"_4cc, "focd"_4cc, "targ"_4cc, "ean8"_4cc, "ean1"_4cc, "upca"_4cc,
        "upce"_4cc, "coda"_4cc, "cd39"_4cc, "c128"_4cc, "i2o5"_4cc, "supp"_4cc,
        "appe"_4cc, "appc"_4cc, "beep"_4cc, "hard"_4cc, "cd32"_4cc};
    EXPECT_EQ(Tags(c), expected); // no 'prev', 'scan' or 'chan'
    EXPECT_EQ(FindCollectionItem(c, "focd"_4cc, 1)->bytes,
              (Bytes{0x3F, 0xD6, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66}));
    EXPECT_EQ(FindCollectionItem(c, "supp"_4cc, 1)->bytes, (Bytes{'r', 'e', 'q', 'u'}));
    EXPECT_EQ(FindCollectionItem(c, "focm"_4cc, 1)->bytes, Bytes{1});

    s->channelSettings = {1, 2, 3};
    c = SettingsToCollection(s.get());
    EXPECT_EQ(c.items.size(), 18u);
    EXPECT_EQ(c.items.back().tag, "chan"_4cc);
    EXPECT_EQ(c.items.back().bytes, (Bytes{1, 2, 3}));
}

TEST(SettingsStore, RoundTripThroughThePreferencesFile) {
    TempConfigHome home;
    auto fresh = Instance();
    const Snapshot defaults = Take(fresh.get());

    // First launch: nothing stored, every default stays.
    LoadSettings(fresh.get(), kScannerSettingsKey);
    EXPECT_EQ(Take(fresh.get()), defaults);
    EXPECT_TRUE(fresh->channelSettings.empty());

    struct Case {
        const char* name;
        void (*change)(ScannerInstance*);
    };
    const Case cases[] = {
        {"everything turned over",
         [](ScannerInstance* s) {
             for (std::uint8_t* b :
                  {&s->manualFocus, &s->showTarget, &s->enableEAN8, &s->enableEAN13, &s->enableUPCA,
                   &s->enableUPCE, &s->enableCodabar, &s->enableCode39, &s->enableCode128,
                   &s->enableInt2of5, &s->appendKey, &s->beepEnabled, &s->tryHarder,
                   &s->enableCode32})
                 *b = !*b;
             s->focusDistance = 1.0;
             s->supplementMode = kSupplementOptional;
             s->appendKeyCode = kAppendTab;
             s->channelSettings = Bytes(5000, 0x5A);
         }},
    };
    for (const Case& t : cases) {
        auto saved = Instance();
        t.change(saved.get());
        saved->previewEnabled = false;
        saved->scanEnabled = false;
        ASSERT_EQ(SaveSettings(saved.get(), kScannerSettingsKey), noErr) << t.name;

        auto loaded = Instance();
        LoadSettings(loaded.get(), kScannerSettingsKey);
        EXPECT_EQ(Take(loaded.get()), Take(saved.get())) << t.name;
        EXPECT_TRUE(loaded->previewEnabled && loaded->scanEnabled) << t.name;
    }
    // The application's own preferences beside the settings are kept.
    ASSERT_EQ(SetPreferencesValue("com.vondrel.kestrix.prefs", Bytes{1}, kApplicationIdentifier),
              noErr);
    ASSERT_EQ(SaveSettings(fresh.get(), kScannerSettingsKey), noErr);
    EXPECT_EQ(CopyPreferencesValue("com.vondrel.kestrix.prefs", kApplicationIdentifier), Bytes{1});
}

TEST(SettingsStore, DamagedStoredValuesLeaveDefaults) {
    TempConfigHome home;
    auto fresh = Instance();
    const Snapshot defaults = Take(fresh.get());

    // Whole stored values that are no collection.
    std::mt19937 random(11);
    Bytes noise(64);
    for (auto& b : noise) b = std::uint8_t(random());
    Bytes good = FlattenCollection(SettingsToCollection(fresh.get()));
    for (const Bytes& stored : {Bytes{}, noise, Bytes(good.begin(), good.end() - 1), Bytes{1}})
        EXPECT_EQ(Take(LoadedFrom(stored).get()), defaults);

    // Single items of the wrong size: truncated, empty or oversized. The
    // other items in the same value are still read.
    for (OSType tag : {"focm"_4cc, "focd"_4cc, "supp"_4cc, "appc"_4cc, "hard"_4cc}) {
        for (std::size_t size : {0, 1, 3, 7, 9, 1000}) {
            Collection c;
            AddCollectionItem(c, tag, 1, Bytes(size, 0));
            AddCollectionItem(c, "targ"_4cc, 1, Bytes{1});
            if (size == (tag == "focd"_4cc ? 8u : tag == "supp"_4cc || tag == "appc"_4cc ? 4u : 1u))
                continue; // the right size, which would be read
            auto s = LoadedFrom(FlattenCollection(c));
            Snapshot expected = defaults;
            expected.booleans[1] = 1; // 'targ'
            EXPECT_EQ(Take(s.get()), expected) << FourCCToString(tag) << " of " << size;
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
        auto loaded = LoadedFrom(FlattenCollection(c));
        EXPECT_EQ(loaded->focusDistance, 0.2) << distance;
        EXPECT_TRUE(loaded->tryHarder && !loaded->enableCode32);
    }
}
