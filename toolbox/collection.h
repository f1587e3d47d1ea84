// Collections: an ordered set of items, each a tag, an id and a block of
// bytes, found by (tag, id). The scanner settings and the application's
// preferences are each stored as one flattened collection.
//
// Flattened format, version 1, every number big-endian:
//   "KCol"  magic, 4 bytes
//   u16     format version (1)
//   u16     reserved, 0
//   u32     item count
//   per item, in order: u32 tag, i32 id, u32 size, size bytes
// Nothing may follow the last item. Unflattening checks every size against
// the bytes really there; a value that breaks any rule reads as no items.
#pragma once

#include "toolbox/fourcc.h"

#include <cstdint>
#include <span>
#include <vector>

struct CollectionItem {
    OSType tag = 0;
    std::int32_t id = 0;
    std::vector<std::uint8_t> bytes;
};

struct Collection {
    std::vector<CollectionItem> items; // in order of addition, (tag, id) unique
};

constexpr OSType kCollectionMagic = "KCol"_4cc;
constexpr std::uint16_t kCollectionVersion = 1;

// Adds the item, or replaces the bytes of the item with the same tag and id
// (which keeps its place).
void AddCollectionItem(Collection& collection, OSType tag, std::int32_t id,
                       std::span<const std::uint8_t> bytes);

// The item with this tag and id, or null.
const CollectionItem* FindCollectionItem(const Collection& collection, OSType tag, std::int32_t id);

std::vector<std::uint8_t> FlattenCollection(const Collection& collection);

// Replaces the collection's items with those of a flattened collection.
// A damaged, truncated or foreign value leaves the collection empty and
// returns paramErr.
OSStatus UnflattenCollection(std::span<const std::uint8_t> flat, Collection& collection);

// Copies the item (tag, id) into destination when its size is exactly
// `size`; an item that is absent or of another size leaves the destination
// as it was, so the caller stores the default there first. paramErr for a
// null destination, else noErr.
OSStatus AppGetCollectionItem(const Collection& collection, OSType tag, std::int32_t id,
                              std::uint32_t size, void* destination);

// Stores a copy of the item (tag, id) in *outHandle, or leaves *outHandle
// empty when the collection holds no such item. paramErr for a null
// outHandle, else noErr.
OSStatus AppGetCollectionItemHandle(const Collection& collection, OSType tag, std::int32_t id,
                                    std::vector<std::uint8_t>* outHandle);
