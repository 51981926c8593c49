// Resource packs loaded as data files: finding them, reading their
// resources, unloading them, and refusing damaged files.
#include "platform/kernel32.h"
#include "platform/kernel32/resource_pack.h"
#include "platform/kernel32_resource.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes SamplePack()
{
    return platform::BuildResourcePack(
        {{10, 110, Text("burst")}, {10, 7, Text("seven")}, {3, 110, Text("icon")}});
}

void PutU32(Bytes* bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        (*bytes)[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

class TempFolder {
public:
    TempFolder()
    {
        char pattern[] = "/tmp/kvarlop_pack_XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = made;
    }
    ~TempFolder()
    {
        for (const std::string& file : files_)
            std::remove(file.c_str());
        rmdir(path_.c_str());
    }
    std::string Write(const std::string& name, const Bytes& bytes)
    {
        std::string file = path_ + "/" + name;
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        files_.push_back(file);
        return file;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::vector<std::string> files_;
};

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

HMODULE Load(const std::string& path)
{
    return LoadLibraryExW(Wide(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

std::string ResourceText(HMODULE module, int id, int type = 10)
{
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
    if (resource == nullptr)
        return "<missing>";
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    return std::string(data, SizeofResource(module, resource));
}

std::string ExecutableFolder()
{
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string path(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    return path.substr(0, path.rfind('/'));
}

// Runs the test body with the current folder changed, and changes it back.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder)
    {
        char buffer[PATH_MAX];
        if (getcwd(buffer, sizeof buffer) != nullptr)
            previous_ = buffer;
        if (chdir(folder.c_str()) != 0)
            throw std::runtime_error("chdir failed");
    }
    ~CurrentFolder()
    {
        if (!previous_.empty() && chdir(previous_.c_str()) != 0)
            std::abort();
    }

private:
    std::string previous_;
};

// ---------------------------------------------------------------------------

TEST(ResourcePackFormat, BuiltPackParsesBackToItsEntries)
{
    Bytes pack = SamplePack();
    std::vector<platform::ResourcePackEntry> entries;
    ASSERT_TRUE(platform::ParseResourcePack(pack.data(), pack.size(), &entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].type, 10u);
    EXPECT_EQ(entries[0].id, 110u);
    EXPECT_EQ(std::string(pack.begin() + entries[0].offset,
                          pack.begin() + entries[0].offset + entries[0].size),
              "burst");
    EXPECT_EQ(entries[2].type, 3u);
    EXPECT_EQ(entries[2].offset + entries[2].size, pack.size());
}

TEST(ResourcePackFormat, BuildingRefusesTwoItemsOfOneTypeAndId)
{
    EXPECT_THROW(platform::BuildResourcePack({{10, 5, Text("a")}, {10, 5, Text("b")}}),
                 std::invalid_argument);
    EXPECT_NO_THROW(platform::BuildResourcePack({{10, 5, Text("a")}, {3, 5, Text("b")}}));
}

TEST(ResourcePackFormat, EmptyPackIsValid)
{
    Bytes pack = platform::BuildResourcePack({});
    std::vector<platform::ResourcePackEntry> entries;
    EXPECT_TRUE(platform::ParseResourcePack(pack.data(), pack.size(), &entries));
    EXPECT_TRUE(entries.empty());
}

// ---------------------------------------------------------------------------

TEST(ResourcePackLoading, ResourcesAreFoundByTypeAndId)
{
    TempFolder folder;
    HMODULE pack = Load(folder.Write("a.pack", SamplePack()));
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(ResourceText(pack, 110), "burst");
    EXPECT_EQ(ResourceText(pack, 7), "seven");
    EXPECT_EQ(ResourceText(pack, 110, 3), "icon");
    SetLastError(0);
    EXPECT_EQ(ResourceText(pack, 111), "<missing>");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(pack));
}

TEST(ResourcePackLoading, PackResourcesDoNotLeakIntoTheExecutable)
{
    TempFolder folder;
    HMODULE pack = Load(folder.Write("a.pack", SamplePack()));
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(ResourceText(nullptr, 7), "<missing>");
    // A resource handle of the pack is not one of the executable's.
    HRSRC resource = FindResourceW(pack, MAKEINTRESOURCEW(7), RT_RCDATA);
    EXPECT_EQ(SizeofResource(nullptr, resource), 0u);
    FreeLibrary(pack);
}

TEST(ResourcePackLoading, TwoLoadedPacksAreIndependent)
{
    TempFolder folder;
    HMODULE first =
        Load(folder.Write("1.pack", platform::BuildResourcePack({{10, 1, Text("one")}})));
    HMODULE second =
        Load(folder.Write("2.pack", platform::BuildResourcePack({{10, 1, Text("two")}})));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(ResourceText(second, 1), "two");
    EXPECT_TRUE(FreeLibrary(second));
}

TEST(ResourcePackLoading, FreedHandleIsRefusedAfterwards)
{
    TempFolder folder;
    HMODULE pack = Load(folder.Write("a.pack", SamplePack()));
    ASSERT_NE(pack, nullptr);
    ASSERT_TRUE(FreeLibrary(pack));
    SetLastError(0);
    EXPECT_EQ(FindResourceW(pack, MAKEINTRESOURCEW(110), RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FreeLibrary(pack));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(ResourcePackLoading, AbsentFileFailsWithModuleNotFound)
{
    TempFolder folder;
    SetLastError(0);
    EXPECT_EQ(Load(folder.path() + "/nothing.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    // A folder of that name is no module either.
    SetLastError(0);
    EXPECT_EQ(Load(folder.path()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(ResourcePackLoading, OnlyDataFileLoadsAreAccepted)
{
    TempFolder folder;
    std::wstring path = Wide(folder.Write("a.pack", SamplePack()));
    SetLastError(0);
    EXPECT_EQ(LoadLibraryExW(path.c_str(), nullptr, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    int notAFile = 0;
    EXPECT_EQ(LoadLibraryExW(path.c_str(), &notAFile, LOAD_LIBRARY_AS_DATAFILE), nullptr);
    EXPECT_EQ(LoadLibraryExW(nullptr, nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr);
    EXPECT_EQ(LoadLibraryExW(L"", nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr);
}

TEST(ResourcePackLoading, RelativeNameIsLookedForInTheCurrentFolder)
{
    TempFolder folder;
    folder.Write("kvarlop_cwd_only.pack", platform::BuildResourcePack({{10, 1, Text("cwd")}}));
    CurrentFolder inFolder(folder.path());
    HMODULE pack = LoadLibraryExW(L"kvarlop_cwd_only.pack", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(ResourceText(pack, 1), "cwd");
    FreeLibrary(pack);
}

TEST(ResourcePackLoading, ExecutableFolderComesBeforeTheCurrentFolder)
{
    const std::string name = "kvarlop_order_" + std::to_string(getpid()) + ".pack";
    const std::string besideExecutable = ExecutableFolder() + "/" + name;
    {
        std::ofstream out(besideExecutable, std::ios::binary);
        Bytes bytes = platform::BuildResourcePack({{10, 1, Text("exe")}});
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    TempFolder folder;
    folder.Write(name, platform::BuildResourcePack({{10, 1, Text("cwd")}}));
    CurrentFolder inFolder(folder.path());

    HMODULE pack = LoadLibraryExW(Wide(name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(ResourceText(pack, 1), "exe");
    FreeLibrary(pack);

    std::remove(besideExecutable.c_str());
    pack = LoadLibraryExW(Wide(name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(ResourceText(pack, 1), "cwd");
    FreeLibrary(pack);
}

TEST(ResourcePackLoading, BackslashesSeparateFolders)
{
    TempFolder folder;
    mkdir((folder.path() + "/sub").c_str(), 0700);
    std::string file = folder.Write("sub/a.pack", SamplePack());
    CurrentFolder inFolder(folder.path());
    HMODULE pack = LoadLibraryExW(L"sub\\a.pack", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(pack, nullptr);
    FreeLibrary(pack);
    std::remove(file.c_str());
    rmdir((folder.path() + "/sub").c_str());
}

// ---------------------------------------------------------------------------

class DamagedPack : public ::testing::Test {
protected:
    // Expects the loader to refuse `bytes` as a whole.
    void ExpectRefused(const Bytes& bytes)
    {
        TempFolder folder;
        SetLastError(0);
        HMODULE pack = Load(folder.Write("damaged.dll", bytes));
        EXPECT_EQ(pack, nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
        if (pack != nullptr)
            FreeLibrary(pack);
    }
    // Offsets inside SamplePack(): the first entry's fields.
    static constexpr size_t kFirstType = 12, kFirstId = 16, kFirstOffset = 20, kFirstSize = 24;
};

TEST_F(DamagedPack, EmptyFileOrWrongMagicIsRefused)
{
    ExpectRefused({});
    Bytes pack = SamplePack();
    pack[0] = 'M';
    ExpectRefused(pack);
    ExpectRefused(Text("MZ\x90\x00 this is a program, not a pack"));
}

TEST_F(DamagedPack, EveryTruncationIsRefused)
{
    Bytes pack = SamplePack();
    for (size_t length = 0; length < pack.size(); ++length) {
        SCOPED_TRACE(length);
        ExpectRefused(Bytes(pack.begin(), pack.begin() + static_cast<long>(length)));
    }
}

TEST_F(DamagedPack, CountBeyondTheFileIsRefused)
{
    Bytes pack = SamplePack();
    PutU32(&pack, 8, 4);
    ExpectRefused(pack);
    PutU32(&pack, 8, 0xFFFFFFFFu);
    ExpectRefused(pack);
}

TEST_F(DamagedPack, ResourceReachingPastTheEndIsRefused)
{
    Bytes pack = SamplePack();
    PutU32(&pack, kFirstSize, static_cast<uint32_t>(pack.size()));
    ExpectRefused(pack);
}

TEST_F(DamagedPack, OffsetAndSizeThatWrapAroundAreRefused)
{
    Bytes pack = SamplePack();
    PutU32(&pack, kFirstOffset, 0xFFFFFFF0u);
    PutU32(&pack, kFirstSize, 0x20u);
    ExpectRefused(pack);
}

TEST_F(DamagedPack, ResourceOverlappingTheHeaderIsRefused)
{
    Bytes pack = SamplePack();
    PutU32(&pack, kFirstOffset, 0);
    PutU32(&pack, kFirstSize, 4);
    ExpectRefused(pack);
}

TEST_F(DamagedPack, DuplicateEntryIsRefused)
{
    Bytes pack = SamplePack();
    PutU32(&pack, kFirstId + 16, 110); // the second entry now repeats (10, 110)
    ExpectRefused(pack);
}

TEST_F(DamagedPack, TypeOrIdBeyondSixteenBitsIsRefused)
{
    Bytes pack = SamplePack();
    PutU32(&pack, kFirstType, 0x1000A);
    ExpectRefused(pack);
    pack = SamplePack();
    PutU32(&pack, kFirstId, 0x1006E);
    ExpectRefused(pack);
}

} // namespace
