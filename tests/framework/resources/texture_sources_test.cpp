// Where LoadTexture finds a picture: numbered names in the executable, then
// in the side file; other names are file paths (code page 1251 names, stored
// as UTF-8 on disk); names nothing can decode make no texture.
#include "../render/render_fixture.h"
#include "image_encoding.h"
#include "platform/kernel32_resource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using testing_support::EncodeJpeg;
using testing_support::EncodePng;
using testing_support::PngSpec;
using testing_support::RenderTest;

namespace {

std::vector<unsigned char> PngOfSize(int width, int height)
{
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colourType = PNG_COLOR_TYPE_RGB;
    return EncodePng(spec);
}

class TextureSources : public RenderTest {
protected:
    TextureSources()
    {
        folder = std::filesystem::temp_directory_path() /
                 ("kvarlop-textures-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    ~TextureSources() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void Write(const std::filesystem::path& path, const std::vector<unsigned char>& bytes)
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    // The image size of what LoadTexture made, or {-1, -1} when nothing.
    std::pair<int, int> Loaded(const std::wstring& name)
    {
        const IMTextureRecord* record = manager->GetTextureRecord(manager->LoadTexture(name));
        if (!record)
            return {-1, -1};
        return {static_cast<int>(record->imageRect.right),
                static_cast<int>(record->imageRect.bottom)};
    }

    std::filesystem::path folder;
};

typedef std::pair<int, int> Size;

} // namespace

TEST_F(TextureSources, NumberedNamesComeFromTheExecutableThenTheSideFile)
{
    EXPECT_EQ(Loaded(L"102"), Size(800, 600)); // the executable's own
    // Only the side file holds 110.
    HRSRC own = FindResourceW(nullptr, MAKEINTRESOURCEW(110), RT_RCDATA);
    EXPECT_EQ(own, nullptr);
    EXPECT_EQ(Loaded(L"110"), Size(511, 470));
    const IMTextureRecord* record = manager->GetTextureRecord(manager->FindTexture(L"110"));
    EXPECT_EQ(record->textureWidth, 512);
    EXPECT_EQ(record->textureHeight, 512);
}

TEST_F(TextureSources, ANumberNamesTheResourceOfItsLow16Bits)
{
    static const std::vector<unsigned char> picture = PngOfSize(3, 7);
    platform::RegisterExecutableResource(4321, picture.data(), picture.size());
    EXPECT_EQ(Loaded(L"4321"), Size(3, 7));
    EXPECT_EQ(Loaded(L"04321"), Size(3, 7));
    EXPECT_EQ(Loaded(L"69857"), Size(3, 7)); // 65536 + 4321
    // A number found nowhere makes nothing.
    const int slots = manager->SlotCount();
    EXPECT_EQ(manager->LoadTexture(L"54321"), slots);
    EXPECT_EQ(manager->FindTexture(L"54321"), slots);
}

TEST_F(TextureSources, OtherNamesAreFilePaths)
{
    Write(folder / "102a", PngOfSize(5, 6));
    Write(folder / " 102", PngOfSize(6, 5));
    const std::string saved = std::filesystem::current_path().string();
    std::filesystem::current_path(folder);
    EXPECT_EQ(Loaded(L"102a"), Size(5, 6));
    EXPECT_EQ(Loaded(L" 102"), Size(6, 5));
    std::filesystem::current_path(saved);

    Write(folder / "picture.jpg", EncodeJpeg(9, 4, 3, std::vector<unsigned char>(9 * 4 * 3, 0x40)));
    EXPECT_EQ(Loaded((folder / "picture.jpg").wstring()), Size(9, 4));
}

TEST_F(TextureSources, CyrillicPathsNameTheirUtf8Files)
{
    Write(folder / u8"картинка.png", PngOfSize(4, 2));
    EXPECT_EQ(Loaded(folder.wstring() + L"/картинка.png"), Size(4, 2));
}

TEST_F(TextureSources, NamesNothingCanDecodeMakeNoTexture)
{
    Write(folder / "text.png", {'h', 'e', 'l', 'l', 'o'});
    Write(folder / "empty.png", {});
    const int slots = manager->SlotCount();
    const int textures = platform::d3d9test::CountLiveObjects().textures;
    for (const std::wstring& name :
         {(folder / "text.png").wstring(), (folder / "empty.png").wstring(),
          (folder / "missing.png").wstring(), folder.wstring(), std::wstring(L"")}) {
        EXPECT_EQ(manager->LoadTexture(name), slots) << std::string(name.begin(), name.end());
        EXPECT_EQ(manager->FindTexture(name), slots);
    }
    EXPECT_EQ(manager->SlotCount(), slots);
    EXPECT_EQ(platform::d3d9test::CountLiveObjects().textures, textures);
}
