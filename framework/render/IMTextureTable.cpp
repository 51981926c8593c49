// The texture table: identifiers, names, reference counts, the pixel copies
// that survive a device loss, and room-making when video memory runs out.
#include "framework/render/IMResourceManager.h"

#include "framework/resources/IMImageDecoder.h"
#include "platform/kernel32.h"

#include <algorithm>
#include <cstring>
#include <new>

int IMNextPowerOfTwo(int value)
{
    int result = 1;
    while (result < value && result < (1 << 30))
        result <<= 1;
    return result;
}

bool CreateTexture(IDirect3DDevice9* device, IDirect3DTexture9** out, int width, int height,
                   D3DFORMAT format)
{
    *out = nullptr;
    if (!device || width <= 0 || height <= 0)
        return false;
    const HRESULT hr = device->CreateTexture(
        static_cast<UINT>(IMNextPowerOfTwo(width)), static_cast<UINT>(IMNextPowerOfTwo(height)), 0,
        D3DUSAGE_DYNAMIC, format, D3DPOOL_DEFAULT, out, nullptr);
    if (hr == D3DERR_OUTOFVIDEOMEMORY) {
        *out = nullptr;
        throw std::bad_alloc();
    }
    if (FAILED(hr)) {
        *out = nullptr;
        return false;
    }
    return true;
}

IMTextureRecord* IMResourceManager::GetTextureRecord(int id)
{
    if (id < 0 || id >= SlotCount())
        return nullptr;
    return records[static_cast<size_t>(id)].get();
}

int IMResourceManager::FindTexture(const std::wstring& name)
{
    auto it = names.find(name);
    return it == names.end() ? SlotCount() : it->second;
}

int IMResourceManager::AddRef(int id)
{
    IMTextureRecord* record = GetTextureRecord(id);
    if (!record)
        return SlotCount();
    ++record->refCount;
    return id;
}

int IMResourceManager::NewIdentifier()
{
    if (!freeIds.empty()) {
        const int id = freeIds.back();
        freeIds.pop_back();
        return id;
    }
    records.emplace_back();
    return SlotCount() - 1;
}

int IMResourceManager::Register(const std::wstring& name, IDirect3DTexture9* texture,
                                int imageWidth, int imageHeight)
{
    std::unique_ptr<IMTextureRecord> record(new IMTextureRecord());
    D3DSURFACE_DESC desc{};
    if (texture && SUCCEEDED(texture->GetLevelDesc(0, &desc))) {
        record->textureWidth = static_cast<int>(desc.Width);
        record->textureHeight = static_cast<int>(desc.Height);
        record->format = desc.Format;
    } else {
        record->textureWidth = IMNextPowerOfTwo(imageWidth);
        record->textureHeight = IMNextPowerOfTwo(imageHeight);
    }
    record->texture = texture;
    record->imageRect = RECT{0, 0, imageWidth, imageHeight};
    record->name = name;
    record->refCount = 1;

    const int id = NewIdentifier();
    names[name] = id;
    records[static_cast<size_t>(id)] = std::move(record);
    CopyPixels(id);
    return id;
}

int IMResourceManager::RegisterTexture(const std::wstring& name, IDirect3DTexture9* texture,
                                       int imageWidth, int imageHeight)
{
    return Register(name, texture, imageWidth, imageHeight);
}

int IMResourceManager::ReleaseTexture(int id)
{
    IMTextureRecord* record = GetTextureRecord(id);
    if (!record)
        return 0;
    if (--record->refCount > 0)
        return 0;
    names.erase(record->name);
    if (record->texture)
        record->texture->Release();
    records[static_cast<size_t>(id)].reset();
    freeIds.push_back(id);
    return 0;
}

int IMResourceManager::ReleaseTextureByName(const std::wstring& name)
{
    return ReleaseTexture(FindTexture(name));
}

void IMResourceManager::ReleaseAll()
{
    for (auto& record : records)
        if (record && record->texture)
            record->texture->Release();
    records.clear();
    names.clear();
    freeIds.clear();
}

void IMResourceManager::CopyPixels(int id)
{
    IMTextureRecord* record = GetTextureRecord(id);
    if (!record)
        return;
    std::vector<unsigned char>().swap(record->pixels);
    record->copyOwed = record->texture != nullptr;
}

void IMResourceManager::TakePixelCopy(int id)
{
    IMTextureRecord* record = GetTextureRecord(id);
    if (!record || !record->copyOwed)
        return;
    record->copyOwed = false;
    D3DLOCKED_RECT locked{};
    if (!record->texture ||
        FAILED(record->texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
        return;
    // Rows below the image stay as a new texture has them (zero), so only
    // the image's rows are kept.
    const int rows = std::max(0, std::min<int>(record->textureHeight, record->imageRect.bottom));
    const size_t bytes = static_cast<size_t>(rows) * static_cast<size_t>(locked.Pitch);
    record->pixels.assign(static_cast<const unsigned char*>(locked.pBits),
                          static_cast<const unsigned char*>(locked.pBits) + bytes);
    record->pitch = locked.Pitch;
    record->texture->UnlockRect(0);
}

bool IMResourceManager::CopiedTexel(int id, int u, int v, uint32_t* texel)
{
    IMTextureRecord* record = GetTextureRecord(id);
    if (!record || u < 0 || v < 0 || u >= record->textureWidth || v >= record->textureHeight)
        return false;
    const auto read = [&](const unsigned char* bits, int pitch, size_t size) {
        const size_t offset = static_cast<size_t>(v) * static_cast<size_t>(pitch) +
                              static_cast<size_t>(u) * 4;
        if (pitch <= 0 || offset + 4 > size)
            return false;
        std::memcpy(texel, bits + offset, 4);
        return true;
    };
    if (!record->copyOwed) {
        const int pitch = record->pitch > 0 ? record->pitch : record->textureWidth * 4;
        return read(record->pixels.data(), pitch, record->pixels.size());
    }
    // The texture holds what the copy is to hold: its image rows are read.
    D3DLOCKED_RECT locked{};
    if (!record->texture ||
        FAILED(record->texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
        return false;
    const int rows = std::max(0, std::min<int>(record->textureHeight, record->imageRect.bottom));
    const bool found = read(static_cast<const unsigned char*>(locked.pBits), locked.Pitch,
                            static_cast<size_t>(rows) * static_cast<size_t>(locked.Pitch));
    record->texture->UnlockRect(0);
    return found;
}

void IMResourceManager::DropDeviceTexture(int id)
{
    IMTextureRecord* record = GetTextureRecord(id);
    if (!record || !record->texture)
        return;
    TakePixelCopy(id);
    record->texture->Release();
    record->texture = nullptr;
}

bool IMResourceManager::DropOtherDeviceTexture(const std::wstring& keep)
{
    for (size_t id = 0; id < records.size(); ++id) {
        IMTextureRecord* record = records[id].get();
        if (record && record->texture && record->name != keep) {
            DropDeviceTexture(static_cast<int>(id));
            return true;
        }
    }
    return false;
}

template <class Make>
bool IMResourceManager::MakeWithRoom(const std::wstring& keep, Make make)
{
    for (;;) {
        try {
            return make();
        } catch (const std::bad_alloc&) {
            // Each pass drops one other texture, so this ends when none is left.
            if (!DropOtherDeviceTexture(keep))
                return false;
        }
    }
}

void IMResourceManager::RestoreTexture(int id)
{
    IMTextureRecord* record = GetTextureRecord(id);
    if (!record || record->texture || record->pixels.empty())
        return;
    IDirect3DTexture9* texture = nullptr;
    if (!MakeWithRoom(record->name, [&] {
            return CreateTexture(device, &texture, record->textureWidth, record->textureHeight,
                                 record->format);
        }))
        return;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
        const size_t rowBytes = static_cast<size_t>(std::min(locked.Pitch, record->pitch));
        const size_t keptRows =
            record->pitch > 0 ? record->pixels.size() / static_cast<size_t>(record->pitch) : 0;
        const int rows = static_cast<int>(
            std::min<size_t>(keptRows, static_cast<size_t>(record->textureHeight)));
        for (int y = 0; y < rows; ++y)
            std::memcpy(static_cast<unsigned char*>(locked.pBits) +
                            static_cast<size_t>(y) * static_cast<size_t>(locked.Pitch),
                        record->pixels.data() +
                            static_cast<size_t>(y) * static_cast<size_t>(record->pitch),
                        rowBytes);
        texture->UnlockRect(0);
    }
    record->texture = texture;
}

int IMResourceManager::LoadTexture(const std::wstring& name)
{
    const int known = FindTexture(name);
    if (known != SlotCount())
        return AddRef(known);

    std::vector<unsigned char> bytes;
    unsigned resource = 0;
    const bool found = imimage::ParseResourceNumber(name, &resource)
                           ? imimage::ReadNumberedResource(resource, &bytes)
                           : imimage::ReadImageFile(name, &bytes);
    if (!found)
        return SlotCount();
    return CreateTextureFromMemory(name, bytes.data(), static_cast<unsigned>(bytes.size()));
}

int IMResourceManager::CreateTextureFromMemory(const std::wstring& name, const void* data,
                                               unsigned size)
{
    const int known = FindTexture(name);
    if (known != SlotCount())
        return AddRef(known);
    if (!data || size == 0)
        return SlotCount();
    imimage::Decoded image;
    if (!MakeWithRoom(name, [&] {
            image = imimage::Decoded{};
            return imimage::DecodeImage(device, static_cast<const unsigned char*>(data), size,
                                        &image);
        }))
        return SlotCount();
    return Register(name, image.texture, image.width, image.height);
}

int IMResourceManager::CreateEmptyTexture(const std::wstring& name, int width, int height,
                                          D3DFORMAT format)
{
    const int known = FindTexture(name);
    if (known != SlotCount())
        return AddRef(known);
    IDirect3DTexture9* texture = nullptr;
    if (!MakeWithRoom(name, [&] { return CreateTexture(device, &texture, width, height, format); }))
        return SlotCount();
    // Level 0 of a new texture comes zeroed from the device (fresh zero
    // pages, left untouched until something is written into them).
    return Register(name, texture, width, height);
}

int IMResourceManager::GetTexturePitch(int id)
{
    IMTextureRecord* record = GetTextureRecord(id);
    if (!record)
        return 0;
    RestoreTexture(id);
    if (!record->texture)
        return 0;
    D3DLOCKED_RECT locked{};
    if (FAILED(record->texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
        return 0;
    const int pitch = locked.Pitch;
    record->texture->UnlockRect(0);
    return pitch;
}

int IMResourceManager::FillTexture(int id, Filler filler)
{
    IMTextureRecord* record = GetTextureRecord(id);
    if (!record)
        return 0;
    RestoreTexture(id);
    D3DLOCKED_RECT locked{};
    if (!record->texture || FAILED(record->texture->LockRect(0, &locked, nullptr, 0))) {
        OutputDebugStringW(L"FillTexture: cannot lock texture\n");
        return 0;
    }
    try {
        filler(static_cast<unsigned char*>(locked.pBits), locked.Pitch,
               static_cast<int>(record->imageRect.bottom));
    } catch (...) {
        record->texture->UnlockRect(0);
        throw;
    }
    record->texture->UnlockRect(0);
    // The copy follows the contents: they survive a device loss and the hit
    // test reads what was filled.
    CopyPixels(id);
    return 0;
}
