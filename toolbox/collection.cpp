// Collections and their flattened form (see collection.h for the layout).
#include "toolbox/collection.h"

#include "toolbox/byte_order.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kHeaderSize = 12;     // magic, version, reserved, count
constexpr std::size_t kItemHeaderSize = 12; // tag, id, size

// The item (tag, id) of a const or mutable item list, or null.
template <class Items>
auto FindItem(Items& items, OSType tag, std::int32_t id) -> decltype(items.data()) {
    auto it = std::find_if(items.begin(), items.end(),
                           [&](const CollectionItem& i) { return i.tag == tag && i.id == id; });
    return it == items.end() ? nullptr : &*it;
}

} // namespace

void AddCollectionItem(Collection& collection, OSType tag, std::int32_t id,
                       std::span<const std::uint8_t> bytes) {
    if (CollectionItem* item = FindItem(collection.items, tag, id)) {
        item->bytes.assign(bytes.begin(), bytes.end());
        return;
    }
    collection.items.push_back({tag, id, {bytes.begin(), bytes.end()}});
}

const CollectionItem* FindCollectionItem(const Collection& collection, OSType tag,
                                         std::int32_t id) {
    return FindItem(collection.items, tag, id);
}

std::vector<std::uint8_t> FlattenCollection(const Collection& collection) {
    std::size_t total = kHeaderSize;
    for (const CollectionItem& item : collection.items)
        total += kItemHeaderSize + item.bytes.size();

    std::vector<std::uint8_t> out;
    out.reserve(total);
    AppendBigEndian32(out, kCollectionMagic);
    AppendBigEndian16(out, kCollectionVersion);
    AppendBigEndian16(out, 0);
    AppendBigEndian32(out, std::uint32_t(collection.items.size()));
    for (const CollectionItem& item : collection.items) {
        AppendBigEndian32(out, item.tag);
        AppendBigEndian32(out, std::uint32_t(item.id));
        AppendBigEndian32(out, std::uint32_t(item.bytes.size()));
        out.insert(out.end(), item.bytes.begin(), item.bytes.end());
    }
    return out;
}

OSStatus UnflattenCollection(std::span<const std::uint8_t> flat, Collection& collection) {
    collection.items.clear();
    ByteReader in{flat};
    std::uint32_t magic = 0, count = 0;
    std::uint16_t version = 0, reserved = 0;
    if (!in.Read32(magic) || !in.Read16(version) || !in.Read16(reserved) || !in.Read32(count))
        return paramErr;
    if (magic != kCollectionMagic || version != kCollectionVersion || reserved != 0)
        return paramErr;
    // Each item takes at least its header, so a count beyond that is a lie.
    if (count > in.rest.size() / kItemHeaderSize) return paramErr;

    std::vector<CollectionItem> items;
    items.reserve(count);
    for (std::uint32_t n = 0; n < count; ++n) {
        std::uint32_t tag = 0, id = 0, size = 0;
        std::span<const std::uint8_t> bytes;
        if (!in.Read32(tag) || !in.Read32(id) || !in.Read32(size) || !in.Take(size, bytes))
            return paramErr;
        if (FindItem(items, tag, std::int32_t(id))) return paramErr;
        items.push_back({tag, std::int32_t(id), {bytes.begin(), bytes.end()}});
    }
    if (!in.rest.empty()) return paramErr;
    collection.items = std::move(items);
    return noErr;
}

OSStatus AppGetCollectionItem(const Collection& collection, OSType tag, std::int32_t id,
                              std::uint32_t size, void* destination) {
    if (!destination) return paramErr;
    const CollectionItem* item = FindCollectionItem(collection, tag, id);
    if (item && item->bytes.size() == size && size > 0)
        std::memcpy(destination, item->bytes.data(), size);
    return noErr;
}

OSStatus AppGetCollectionItemHandle(const Collection& collection, OSType tag, std::int32_t id,
                                    std::vector<std::uint8_t>* outHandle) {
    if (!outHandle) return paramErr;
    outHandle->clear();
    if (const CollectionItem* item = FindCollectionItem(collection, tag, id))
        outHandle->assign(item->bytes.begin(), item->bytes.end());
    return noErr;
}
