// The scanner instance: defaults, settings accessors and their clamping.
#include "engine/scanner_instance.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
InstancePtr Instance() {
    return InstancePtr(NewInstance(nullptr, nullptr));
}
} // namespace

TEST(Instance, FreshInstanceDefaults) {
    auto s = Instance();
    ASSERT_TRUE(s);
    const std::pair<OSType, int> booleans[] = {
        {kKeyPreview, 1},   {kKeyScan, 1},   {kKeyManualFocus, 1}, {kKeyShowTarget, 0},
        {kKeyEAN8, 1},      {kKeyEAN13, 1},  {kKeyUPCA, 1},        {kKeyUPCE, 1},
        {kKeyCodabar, 0},   {kKeyCode39, 0}, {kKeyCode128, 0},     {kKeyInt2of5, 0},
        {kKeyAppendKey, 1}, {kKeyBeep, 1}};
    for (auto [key, value] : booleans)
        EXPECT_EQ(GetBooleanInfo(s.get(), key), value) << FourCCToString(key);
    EXPECT_DOUBLE_EQ(GetDoubleInfo(s.get(), kKeyFocusDistance), 0.2);
    EXPECT_EQ(GetOSTypeInfo(s.get(), kKeySupplement), "igno"_4cc);
    EXPECT_EQ(GetOSTypeInfo(s.get(), kKeyAppendKeyCode), "cret"_4cc);

    EXPECT_EQ(s->bounds.bottom, 480);
    EXPECT_EQ(s->bounds.right, 640);
    ASSERT_NE(s->frameBase, nullptr);
    EXPECT_EQ(s->frameRowBytes, 640 * 4);
    EXPECT_EQ(s->patternIndex, 0);
    EXPECT_EQ(s->acceptedLaser, nullptr);
}

TEST(Instance, AccessorsByKeyAndType) {
    auto s = Instance();
    // Keys of another type, or none, read as 0 and are ignored on write.
    EXPECT_EQ(GetBooleanInfo(s.get(), kKeySupplement), 0);
    EXPECT_EQ(GetDoubleInfo(s.get(), kKeyFocusAdjust), 0.0);
    EXPECT_EQ(GetOSTypeInfo(s.get(), kKeyScan), 0u);
    SetBooleanInfo(s.get(), "nope"_4cc, 1);
    SetOSTypeInfo(s.get(), kKeyScan, "igno"_4cc);
    EXPECT_EQ(GetBooleanInfo(s.get(), kKeyScan), 1);

    // Booleans keep the low 8 bits.
    SetBooleanInfo(s.get(), kKeyScan, 256);
    EXPECT_EQ(GetBooleanInfo(s.get(), kKeyScan), 0);
    SetBooleanInfo(s.get(), kKeyCode128, 7);
    EXPECT_EQ(GetBooleanInfo(s.get(), kKeyCode128), 7);

    SetBooleanInfo(s.get(), kKeyPreview, 0);
    EXPECT_EQ(GetBooleanInfo(s.get(), kKeyPreview), 0);

    SetOSTypeInfo(s.get(), kKeySupplement, "requ"_4cc);
    SetOSTypeInfo(s.get(), kKeyAppendKeyCode, "ctab"_4cc);
    EXPECT_EQ(s->supplementMode, "requ"_4cc);
    EXPECT_EQ(s->appendKeyCode, "ctab"_4cc);
}

TEST(Instance, FocusDistanceIsClamped) {
    auto s = Instance();
    SetDoubleInfo(s.get(), kKeyFocusDistance, 1.7);
    EXPECT_EQ(s->focusDistance, 1.0);
    SetDoubleInfo(s.get(), kKeyFocusDistance, -3);
    EXPECT_EQ(s->focusDistance, 0.0);
    SetDoubleInfo(s.get(), kKeyFocusDistance, 0.01);
    SetDoubleInfo(s.get(), kKeyFocusAdjust, -0.025);
    EXPECT_EQ(s->focusDistance, 0.0);
    SetDoubleInfo(s.get(), kKeyFocusAdjust, 0.025);
    EXPECT_DOUBLE_EQ(s->focusDistance, 0.025);
    // A damaged value never gets stored.
    SetDoubleInfo(s.get(), kKeyFocusDistance, std::nan(""));
    EXPECT_EQ(s->focusDistance, 0.0);
}
