// Folders with Cyrillic names, and the application-data folder.
#include "platform/codepage.h"
#include "platform/kernel32.h"
#include "platform/shell32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

bool IsFolder(const std::string& utf8)
{
    struct stat st {};
    return stat(utf8.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A fresh folder for one test, removed with everything in it afterwards.
class Folders : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kvarlop-folders-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        wroot_ = platform::Utf8ToWide(root_);
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }

    std::string root_;
    std::wstring wroot_;
};

// Sets or clears an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_, old_;
    bool had_;
};

} // namespace

TEST_F(Folders, CyrillicFolderIsMadeAndFoundUnderItsUtf8Name)
{
    const std::wstring folder = wroot_ + L"/ЗЕМТ Ученик";
    WIN32_FIND_DATAW data{};
    EXPECT_EQ(FindFirstFileW(folder.c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_TRUE(IsFolder(root_ + u8"/ЗЕМТ Ученик"));
    EXPECT_FALSE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

    HANDLE find = FindFirstFileW(folder.c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::wstring(data.cFileName), L"ЗЕМТ Ученик");
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(CloseHandle(find)); // a search handle is closed by FindClose only
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(find));
}

TEST_F(Folders, MissingParentsAreReportedAsPathNotFound)
{
    const std::wstring deep = wroot_ + L"/нет/папки";
    EXPECT_FALSE(CreateDirectoryW(deep.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    WIN32_FIND_DATAW data{};
    EXPECT_EQ(FindFirstFileW(deep.c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Folders, WildcardsFindAMatchingFileWithItsSize)
{
    std::ofstream(root_ + u8"/07342 Тренажер «Кварлоп».xls") << "12345";
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((wroot_ + L"/*.xls").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::wstring(data.cFileName), L"07342 Тренажер «Кварлоп».xls");
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    FindClose(find);
    EXPECT_EQ(FindFirstFileW((wroot_ + L"/*.xml").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Folders, DataFolderIsXdgDataHomeWithoutTrailingSlash)
{
    const std::string xdg = root_ + u8"/данные/";
    ScopedEnv env("XDG_DATA_HOME", xdg.c_str());
    wchar_t path[MAX_PATH];
    EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_APPDATA, FALSE)); // missing
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_APPDATA, TRUE));
    EXPECT_EQ(std::wstring(path), wroot_ + L"/данные");
    EXPECT_TRUE(IsFolder(root_ + u8"/данные"));
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_APPDATA, FALSE));
}

TEST_F(Folders, DataFolderFallsBackToHomeLocalShare)
{
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", root_.c_str());
    wchar_t path[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_APPDATA, TRUE));
    EXPECT_EQ(std::wstring(path), wroot_ + L"/.local/share");
    EXPECT_TRUE(IsFolder(root_ + "/.local/share"));

    // A relative XDG_DATA_HOME is to be ignored.
    ScopedEnv relative("XDG_DATA_HOME", "relative/data");
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_APPDATA, FALSE));
    EXPECT_EQ(std::wstring(path), wroot_ + L"/.local/share");
}
