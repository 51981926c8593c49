#include "platform/kernel32/resource_pack.h"

#include <cstring>
#include <set>
#include <stdexcept>
#include <utility>

namespace platform {

namespace {

uint32_t ReadU32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void AppendU32(std::vector<unsigned char>* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

} // namespace

bool ParseResourcePack(const unsigned char* data, size_t size,
                       std::vector<ResourcePackEntry>* entries)
{
    entries->clear();
    if (data == nullptr || size < kResourcePackHeaderSize) return false;
    if (std::memcmp(data, kResourcePackMagic, sizeof kResourcePackMagic) != 0) return false;
    const uint32_t count = ReadU32(data + 8);
    if (count > kResourcePackMaxEntries) return false;
    // 64-bit arithmetic throughout: nothing read from the file can overflow it.
    const uint64_t tableEnd =
        kResourcePackHeaderSize + static_cast<uint64_t>(count) * kResourcePackEntrySize;
    if (tableEnd > size) return false;

    std::vector<ResourcePackEntry> parsed;
    parsed.reserve(count);
    std::set<std::pair<uint32_t, uint32_t>> seen;
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned char* e = data + kResourcePackHeaderSize + i * kResourcePackEntrySize;
        ResourcePackEntry entry{ReadU32(e), ReadU32(e + 4), ReadU32(e + 8), ReadU32(e + 12)};
        if (entry.type > 0xFFFF || entry.id > 0xFFFF) return false;
        if (entry.offset < tableEnd) return false;
        if (static_cast<uint64_t>(entry.offset) + entry.size > size) return false;
        if (!seen.insert({entry.type, entry.id}).second) return false;
        parsed.push_back(entry);
    }
    *entries = std::move(parsed);
    return true;
}

std::vector<unsigned char> BuildResourcePack(const std::vector<ResourcePackItem>& items)
{
    if (items.size() > kResourcePackMaxEntries)
        throw std::invalid_argument("too many resources for one pack");
    std::set<std::pair<uint16_t, uint16_t>> seen;
    uint64_t offset = kResourcePackHeaderSize + items.size() * kResourcePackEntrySize;
    for (const ResourcePackItem& item : items) {
        if (!seen.insert({item.type, item.id}).second)
            throw std::invalid_argument("two resources of one type and identifier");
        offset += item.bytes.size();
    }
    if (offset > 0xFFFFFFFFu) throw std::invalid_argument("resource pack larger than 4 GiB");

    std::vector<unsigned char> out(kResourcePackMagic,
                                   kResourcePackMagic + sizeof kResourcePackMagic);
    AppendU32(&out, static_cast<uint32_t>(items.size()));
    uint32_t dataOffset =
        static_cast<uint32_t>(kResourcePackHeaderSize + items.size() * kResourcePackEntrySize);
    for (const ResourcePackItem& item : items) {
        AppendU32(&out, item.type);
        AppendU32(&out, item.id);
        AppendU32(&out, dataOffset);
        AppendU32(&out, static_cast<uint32_t>(item.bytes.size()));
        dataOffset += static_cast<uint32_t>(item.bytes.size());
    }
    for (const ResourcePackItem& item : items)
        out.insert(out.end(), item.bytes.begin(), item.bytes.end());
    return out;
}

} // namespace platform
