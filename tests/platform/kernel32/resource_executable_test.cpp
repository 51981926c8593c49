// Numbered resources of the executable and the named embedded blobs.
#include "platform/kernel32.h"
#include "platform/kernel32_resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Identifiers well away from the program's own media.
constexpr int kTestId = 40001;
constexpr int kOtherTestId = 40002;

const unsigned char kFirstBytes[] = {1, 2, 3, 4, 5};
const unsigned char kSecondBytes[] = {9, 8, 7};

std::string BytesOf(HMODULE module, HRSRC resource)
{
    HGLOBAL loaded = LoadResource(module, resource);
    const char* data = static_cast<const char*>(LockResource(loaded));
    return std::string(data, SizeofResource(module, resource));
}

TEST(ExecutableResources, RegisteredResourceIsFoundThroughEitherExecutableHandle)
{
    platform::RegisterExecutableResource(kTestId, kFirstBytes, sizeof kFirstBytes);
    for (HMODULE module : {static_cast<HMODULE>(nullptr), GetModuleHandleW(nullptr)}) {
        HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(kTestId), RT_RCDATA);
        ASSERT_NE(resource, nullptr);
        EXPECT_EQ(SizeofResource(module, resource), sizeof kFirstBytes);
        HGLOBAL loaded = LoadResource(module, resource);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(LockResource(loaded), static_cast<const void*>(kFirstBytes));
    }
}

TEST(ExecutableResources, RegisteringAnIdAgainReplacesItsBytes)
{
    platform::RegisterExecutableResource(kOtherTestId, kFirstBytes, sizeof kFirstBytes);
    platform::RegisterExecutableResource(kOtherTestId, kSecondBytes, sizeof kSecondBytes);
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(kOtherTestId), RT_RCDATA);
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(BytesOf(nullptr, resource), std::string("\x09\x08\x07"));
}

TEST(ExecutableResources, EmptyResourceStillLoadsToAPointer)
{
    platform::RegisterExecutableResource(40003, nullptr, 0);
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(40003), RT_RCDATA);
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, resource), 0u);
    EXPECT_NE(LoadResource(nullptr, resource), nullptr);
}

TEST(ExecutableResources, MissingIdFailsWithNameNotFound)
{
    SetLastError(0);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(40999), RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(ExecutableResources, OnlyRcDataTypeAndNumberedNamesAreFound)
{
    platform::RegisterExecutableResource(kTestId, kFirstBytes, sizeof kFirstBytes);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(kTestId), MAKEINTRESOURCEW(2)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(FindResourceW(nullptr, L"40001", RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceW(nullptr, nullptr, RT_RCDATA), nullptr);
}

TEST(ExecutableResources, ForeignResourceHandleIsRefused)
{
    int notAResource = 0;
    HRSRC bogus = reinterpret_cast<HRSRC>(&notAResource);
    EXPECT_EQ(LoadResource(nullptr, bogus), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, bogus), 0u);
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
}

TEST(ExecutableModule, IsNeverUnloaded)
{
    platform::RegisterExecutableResource(kTestId, kFirstBytes, sizeof kFirstBytes);
    EXPECT_TRUE(FreeLibrary(GetModuleHandleW(nullptr)));
    EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(kTestId), RT_RCDATA), nullptr);
}

TEST(EmbeddedBlobs, RegisteredBlobIsFoundByNameAndListed)
{
    platform::RegisterEmbeddedBlob("test_blob_b", kSecondBytes, sizeof kSecondBytes);
    platform::RegisterEmbeddedBlob("test_blob_a", kFirstBytes, sizeof kFirstBytes);
    const unsigned char* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(platform::FindEmbeddedBlob("test_blob_a", &data, &size));
    EXPECT_EQ(data, kFirstBytes);
    EXPECT_EQ(size, sizeof kFirstBytes);

    std::vector<std::string> names = platform::EmbeddedBlobNames();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_NE(std::find(names.begin(), names.end(), "test_blob_a"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "test_blob_b"), names.end());
}

TEST(EmbeddedBlobs, MissingBlobLeavesOutputsUntouched)
{
    const unsigned char* data = kFirstBytes;
    size_t size = 77;
    EXPECT_FALSE(platform::FindEmbeddedBlob("no_such_blob", &data, &size));
    EXPECT_EQ(data, kFirstBytes);
    EXPECT_EQ(size, 77u);
}

TEST(EmbeddedBlobs, NamesAreCaseSensitiveAndExact)
{
    platform::RegisterEmbeddedBlob("CaseBlob", kFirstBytes, sizeof kFirstBytes);
    EXPECT_FALSE(platform::FindEmbeddedBlob("caseblob", nullptr, nullptr));
    EXPECT_FALSE(platform::FindEmbeddedBlob("CaseBlob.png", nullptr, nullptr));
    EXPECT_TRUE(platform::FindEmbeddedBlob("CaseBlob", nullptr, nullptr));
}

TEST(EmbeddedBlobs, AreKeptApartFromNumberedResources)
{
    platform::RegisterEmbeddedBlob("40004", kFirstBytes, sizeof kFirstBytes);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(40004), RT_RCDATA), nullptr);
}

} // namespace

// Releasing a picture's pages after decoding it never changes what is read:
// the program's media read the same again, and memory that is not theirs
// (a blob made at run time) keeps its bytes.
TEST(EmbeddedBlobs, ReleasedPagesReadTheSameAndOtherMemoryIsLeftAlone)
{
    size_t largest = 0;
    const unsigned char* media = nullptr;
    for (const std::string& name : platform::EmbeddedBlobNames()) {
        const unsigned char* data = nullptr;
        size_t size = 0;
        if (platform::FindEmbeddedBlob(name, &data, &size) && size > largest) {
            largest = size;
            media = data;
        }
    }
    ASSERT_GT(largest, 3u * 4096u) << "the program's media are linked in";
    const std::vector<unsigned char> before(media, media + largest);
    platform::ReleaseEmbeddedPages(media, largest);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), media));

    std::vector<unsigned char> made(5 * 4096, 0xAB);
    platform::RegisterEmbeddedBlob("test_blob_made", made.data(), made.size());
    platform::ReleaseEmbeddedPages(made.data(), made.size());
    EXPECT_EQ(std::count(made.begin(), made.end(), 0xAB), static_cast<long>(made.size()));
}
