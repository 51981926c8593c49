#include "pictures.h"

#include "platform/kernel32_resource.h"

#include <png.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace assets_test {

namespace {

uint32_t BigEndian32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

bool IsNumber(const std::string& name)
{
    if (name.empty())
        return false;
    for (char c : name)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

Picture FromModule(HMODULE module, int id)
{
    Picture missing;
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (resource == nullptr)
        return missing;
    const void* data = LockResource(LoadResource(module, resource));
    return Decode(static_cast<const unsigned char*>(data), SizeofResource(module, resource));
}

} // namespace

Picture Decode(const unsigned char* data, size_t size)
{
    Picture picture;
    picture.found = true;
    // The header chunk follows the signature: length, "IHDR", width, height,
    // bit depth, colour type.
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 33 || std::memcmp(data, kSignature, 8) != 0 ||
        std::memcmp(data + 12, "IHDR", 4) != 0) {
        picture.error = "not a PNG file";
        return picture;
    }
    picture.bitDepth = data[24];
    picture.colourType = data[25];

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        picture.error = image.message;
        return picture;
    }
    image.format = PNG_FORMAT_RGBA;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    if (picture.width != static_cast<int>(BigEndian32(data + 16)) ||
        picture.height != static_cast<int>(BigEndian32(data + 20))) {
        png_image_free(&image);
        picture.error = "header and decoder disagree on the size";
        return picture;
    }
    picture.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr)) {
        picture.error = image.message;
        picture.rgba.clear();
        return picture;
    }
    picture.decoded = true;
    return picture;
}

Picture Embedded(const std::string& name)
{
    if (IsNumber(name))
        return FromModule(nullptr, std::atoi(name.c_str()));
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!platform::FindEmbeddedBlob(name, &data, &size))
        return Picture();
    return Decode(data, size);
}

Picture FromSideFile(int id)
{
    HMODULE side = LoadLibraryExW(L"Animations.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (side == nullptr)
        return Picture();
    Picture picture = FromModule(side, id);
    FreeLibrary(side);
    return picture;
}

double MeanColourDifference(const Picture& a, const Picture& b, const std::vector<bool>& where)
{
    double sum = 0;
    size_t count = 0;
    for (size_t i = 0; i < where.size(); ++i) {
        if (!where[i])
            continue;
        for (int c = 0; c < 3; ++c)
            sum += std::abs(int(a.rgba[i * 4 + c]) - int(b.rgba[i * 4 + c]));
        count += 3;
    }
    return count == 0 ? 0.0 : sum / count;
}

} // namespace assets_test
