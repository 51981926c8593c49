// Reading and writing resource packs (the format is described in
// platform/kernel32_resource.h). Used by the loader and by the build tool
// that makes the side file, so it depends on nothing but the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

constexpr char kResourcePackMagic[8] = {'K', 'V', 'R', 'E', 'S', 'P', 'K', '1'};
constexpr size_t kResourcePackHeaderSize = 12;
constexpr size_t kResourcePackEntrySize = 16;
constexpr uint32_t kResourcePackMaxEntries = 65536;

struct ResourcePackEntry {
    uint32_t type;
    uint32_t id;
    uint32_t offset;
    uint32_t size;
};

// Validates a whole pack held in memory and lists its entries in table
// order. False (entries cleared) when anything in it is out of place.
bool ParseResourcePack(const unsigned char* data, size_t size,
                       std::vector<ResourcePackEntry>* entries);

struct ResourcePackItem {
    uint16_t type;
    uint16_t id;
    std::vector<unsigned char> bytes;
};

// The bytes of a pack holding `items`, in the given order. Throws
// std::invalid_argument for two items of one type and id, too many items,
// or a pack that would not fit 32-bit offsets.
std::vector<unsigned char> BuildResourcePack(const std::vector<ResourcePackItem>& items);

} // namespace platform
