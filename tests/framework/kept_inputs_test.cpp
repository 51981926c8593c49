// Inputs that once broke a loader, kept under tests/fuzz/regressions/<kind>/
// (png, jpeg, vorbis, theora, workbook), go through it again the way the fuzzers fed
// them: each is refused or read cleanly, and leaves nothing behind.
#include "render/render_fixture.h"

#include "fuzz/feeding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Input {
    std::string name;
    std::vector<uint8_t> bytes;
};

// The kept inputs of the source tree the test program was built from,
// wherever the build folder lies.
fs::path KeptFolder()
{
    return fs::path(KVARLOP_TESTS_DIR) / "fuzz" / "regressions";
}

std::vector<Input> Kept(const char* kind)
{
    const fs::path folder = KeptFolder() / kind;
    std::vector<Input> inputs;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        inputs.push_back({entry.path().filename().string(),
                          std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {})});
    }
    std::sort(inputs.begin(), inputs.end(),
              [](const Input& a, const Input& b) { return a.name < b.name; });
    // Every kind keeps at least one input, so that no group passes on nothing.
    EXPECT_FALSE(inputs.empty()) << "no kept inputs in " << folder;
    return inputs;
}

class KeptInputs : public testing_support::RenderTest {};

} // namespace

TEST_F(KeptInputs, PicturesDecodeOrAreRefusedWithoutLeavingTextures)
{
    const int textures = platform::d3d9test::CountLiveObjects().textures;
    for (const bool png : {true, false})
        for (const Input& input : Kept(png ? "png" : "jpeg")) {
            ::testing::internal::CaptureStderr();
            fuzzfeed::FeedPicture(manager->Device(), png, input.bytes.data(), input.bytes.size());
            ::testing::internal::GetCapturedStderr();
            EXPECT_EQ(platform::d3d9test::CountLiveObjects().textures, textures) << input.name;
        }
}

TEST(KeptInputsSound, SoundsPlayWhatDecodesOrAreRefused)
{
    for (const Input& input : Kept("vorbis"))
        fuzzfeed::FeedSound(input.bytes.data(), input.bytes.size());
}

TEST_F(KeptInputs, ClipsPlayOrAreRefusedWithoutLeavingTextures)
{
    const int textures = platform::d3d9test::CountLiveObjects().textures;
    for (const Input& input : Kept("theora"))
        fuzzfeed::FeedClip(input.bytes.data(), input.bytes.size());
    EXPECT_EQ(platform::d3d9test::CountLiveObjects().textures, textures);
}

TEST(KeptInputsWorkbook, AnyFileLeavesAWorkbookThatTakesRows)
{
    char pattern[] = "/tmp/kvarlop-kept-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path folder = pattern;
    for (const Input& input : Kept("workbook")) {
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(fuzzfeed::FeedWorkbook((folder / "results.xls").string(), input.bytes.data(),
                                           input.bytes.size()))
            << input.name;
        ::testing::internal::GetCapturedStderr();
    }
    fs::remove_all(folder);
}
