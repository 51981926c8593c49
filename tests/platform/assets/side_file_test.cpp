// The side file "Animations.dll" as the build makes it: found next to the
// program, a valid pack, and holding the burst frame the executable lacks.
#include "pictures.h"

#include "platform/kernel32.h"
#include "platform/kernel32_resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(HMODULE module, int id)
{
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (resource == nullptr)
        return std::string();
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    return std::string(data, SizeofResource(module, resource));
}

TEST(SideFile, IsFoundNextToTheProgramByItsBareName)
{
    HMODULE side = LoadLibraryExW(L"Animations.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(side, nullptr) << "error " << GetLastError();
    EXPECT_NE(side, GetModuleHandleW(nullptr));
    EXPECT_TRUE(FreeLibrary(side));
}

TEST(SideFile, HoldsTheLastBurstFrameThatTheExecutableLacks)
{
    EXPECT_EQ(FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(110), RT_RCDATA), nullptr);
    assets_test::Picture frame = assets_test::FromSideFile(110);
    ASSERT_TRUE(frame.found);
    ASSERT_TRUE(frame.decoded) << frame.error;
    EXPECT_EQ(frame.width, 511);
    EXPECT_EQ(frame.height, 470);
}

TEST(SideFile, EveryNumberedPictureIsInTheExecutableOrElseTheSideFile)
{
    HMODULE side = LoadLibraryExW(L"Animations.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(side, nullptr);
    for (int id : {102, 103, 108, 109, 110}) {
        SCOPED_TRACE(id);
        std::string bytes = Bytes(nullptr, id);
        if (bytes.empty())
            bytes = Bytes(side, id);
        ASSERT_FALSE(bytes.empty());
        assets_test::Picture p =
            assets_test::Decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        EXPECT_TRUE(p.decoded) << p.error;
    }
    FreeLibrary(side);
}

TEST(SideFile, FramesHeldInBothPlacesAreTheSame)
{
    HMODULE side = LoadLibraryExW(L"Animations.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(side, nullptr);
    for (int id : {108, 109}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(Bytes(side, id).empty());
        EXPECT_EQ(Bytes(side, id), Bytes(nullptr, id));
    }
    FreeLibrary(side);
}

} // namespace
