// Where images come from (numbered resources, files) and the decoder choice.
#include "framework/resources/IMImageDecoder.h"

#include "platform/codepage.h"
#include "platform/kernel32_resource.h"

#include <filesystem>
#include <fstream>

namespace imimage {

bool DecodeImage(IDirect3DDevice9* device, const unsigned char* data, size_t size, Decoded* out)
{
    return DecodePng(device, data, size, out) || DecodeJpeg(device, data, size, out);
}

namespace {

bool CopyResource(HMODULE module, unsigned id, std::vector<unsigned char>* bytes)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    const unsigned char* data =
        loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    const DWORD size = SizeofResource(module, found);
    if (!data && size != 0)
        return false;
    bytes->assign(data, data + size);
    platform::ReleaseEmbeddedPages(data, size);
    return true;
}

} // namespace

bool ReadNumberedResource(unsigned id, std::vector<unsigned char>* bytes)
{
    bytes->clear();
    if (CopyResource(nullptr, id, bytes))
        return true;
    HMODULE side = LoadLibraryExW(L"Animations.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!side)
        return false;
    const bool found = CopyResource(side, id, bytes);
    FreeLibrary(side);
    return found;
}

bool ReadImageFile(const std::wstring& path, std::vector<unsigned char>* bytes)
{
    bytes->clear();
    const std::string onDisk = platform::Cp1251PathToUtf8(platform::WideToCp1251String(path));
    // A folder opens as a stream too, of a nonsensical size.
    std::error_code error;
    if (!std::filesystem::is_regular_file(onDisk, error))
        return false;
    std::ifstream file(onDisk, std::ios::binary);
    if (!file)
        return false;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    const std::streamoff kLargestImageFile = std::streamoff(1) << 30;
    if (size <= 0 || size > kLargestImageFile)
        return false;
    file.seekg(0, std::ios::beg);
    bytes->resize(static_cast<size_t>(size));
    if (!file.read(reinterpret_cast<char*>(bytes->data()), size)) {
        bytes->clear();
        return false;
    }
    return true;
}

bool ParseResourceNumber(const std::wstring& name, unsigned* id)
{
    if (name.empty())
        return false;
    unsigned long long value = 0;
    for (wchar_t c : name) {
        if (c < L'0' || c > L'9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - L'0');
        if (value > 0xFFFFFFFFull)
            return false;
    }
    *id = static_cast<unsigned>(value & 0xFFFFu);
    return true;
}

} // namespace imimage
