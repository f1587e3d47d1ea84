// Collections. (Item reads of the wrong size are the settings store's tests.)
#include "toolbox/byte_order.h"
#include "toolbox/collection.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(Collection, FlattenedRoundTripInOrderAndDamagedValuesReadAsNoItems) {
    using Bytes = std::vector<std::uint8_t>;
    Collection c;
    AddCollectionItem(c, "focm"_4cc, 1, Bytes{1});
    AddCollectionItem(c, "chan"_4cc, 1, Bytes(300, 0xAB));
    AddCollectionItem(c, "none"_4cc, -7, Bytes{});
    AddCollectionItem(c, "focm"_4cc, 2, Bytes{2, 3});
    AddCollectionItem(c, "focm"_4cc, 1, Bytes{0}); // replaced, stays first
    ASSERT_EQ(c.items.size(), 4u);
    const Bytes good = FlattenCollection(c);
    Collection back;
    AddCollectionItem(back, "old "_4cc, 1, Bytes{9}); // unflattening replaces
    ASSERT_EQ(UnflattenCollection(good, back), noErr);
    ASSERT_EQ(back.items.size(), c.items.size());
    for (std::size_t i = 0; i < c.items.size(); ++i)
        EXPECT_EQ(std::tie(back.items[i].tag, back.items[i].id, back.items[i].bytes),
                  std::tie(c.items[i].tag, c.items[i].id, c.items[i].bytes));

    auto patched = [&](std::size_t at, std::uint32_t value) {
        Bytes b = good;
        StoreBigEndian32(value, std::span(b).subspan(at).first<4>());
        return b;
    };
    Bytes trailing = good;
    trailing.push_back(0);
    // The second item ("chan", id 1) starts after the 12-byte header and
    // the first item's 13 bytes.
    const std::size_t second = 12 + 13;
    const std::pair<const char*, Bytes> cases[] = {
        {"bad magic", patched(0, "KCom"_4cc)},
        {"newer version", patched(4, 0x00020000)},
        {"count huge", patched(8, 0xFFFFFFFF)},
        {"size one too many", patched(second + 8, 301)},
        {"trailing byte", trailing},
        {"duplicate item", patched(second, "focm"_4cc)},
    };
    for (const auto& [name, bytes] : cases) {
        Collection read = c;
        EXPECT_EQ(UnflattenCollection(bytes, read), paramErr) << name;
        EXPECT_TRUE(read.items.empty()) << name;
    }
    for (std::size_t n = 0; n < good.size(); ++n) {
        Collection read = c;
        EXPECT_EQ(UnflattenCollection(std::span(good).first(n), read), paramErr) << "cut at " << n;
        EXPECT_TRUE(read.items.empty());
    }
}
