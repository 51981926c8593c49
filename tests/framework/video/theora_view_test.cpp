// The video view: opening a clip (its frame textures and its failures), the
// frame each SetFrame shows and prepares, going back, and the end of the
// data. The clips are made in memory, one flat grey per frame.
#include "framework/video/IMTheoraView.h"

#include "../views/texture_fixture.h"
#include "clip_maker.h"
#include "platform/kernel32_resource.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace video_test;
using testing_support::TextureTest;

namespace {

class TheoraView : public TextureTest {
protected:
    // The blue byte of the texture's pixel (x, y), from its pixel copy.
    int Grey(int id, int x = 5, int y = 5)
    {
        const IMTextureRecord* record = Manager().GetTextureRecord(id);
        if (!record || record->pixels.empty())
            return -1;
        return record->pixels[static_cast<size_t>(y) * record->pitch + static_cast<size_t>(x) * 4];
    }

    // The frame (of the test clip) a texture holds, or -1.
    int FrameIn(int id)
    {
        const int grey = Grey(id);
        for (int i = 0; i < 12; ++i)
            if (std::abs(grey - FrameGrey(i)) <= 2)
                return i;
        return -1;
    }

    std::string FailureOf(const std::vector<unsigned char>& clip)
    {
        IMTheoraView view;
        try {
            view.Open(clip.data(), static_cast<int>(clip.size()));
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "";
    }
};

} // namespace

TEST_F(TheoraView, EachOpenedClipNamesItsTwoTexturesWithTheNextNumber)
{
    const std::vector<unsigned char> clip = MakeGreyClip(ClipOptions{});
    IMTheoraView a;
    IMTheoraView b;
    a.Open(clip.data(), static_cast<int>(clip.size()));
    b.Open(clip.data(), static_cast<int>(clip.size()));
    const std::wstring frontA = Manager().GetTextureRecord(a.GetFrontTexture())->name;
    ASSERT_EQ(0u, frontA.rfind(L"IMTheoraView1", 0));
    const int n = std::stoi(frontA.substr(13));
    EXPECT_EQ(L"IMTheoraView2" + std::to_wstring(n),
              Manager().GetTextureRecord(a.GetBackTexture())->name);
    EXPECT_EQ(L"IMTheoraView1" + std::to_wstring(n + 1),
              Manager().GetTextureRecord(b.GetFrontTexture())->name);
    EXPECT_EQ(D3DFMT_X8R8G8B8, Manager().GetTextureRecord(b.GetBackTexture())->format);
    // The first shown is front, still blank; frame 0 waits in back.
    EXPECT_EQ(a.GetFrontTexture(), a.GetTextureId());
    EXPECT_EQ(0, FrameIn(a.GetBackTexture()));
    RECT source;
    a.GetSourceRect(&source);
    EXPECT_EQ(64, source.right);
    EXPECT_EQ(48, source.bottom);
}

TEST_F(TheoraView, ItsTexturesGoWithTheView)
{
    const std::vector<unsigned char> clip = MakeGreyClip(ClipOptions{});
    std::wstring name;
    {
        IMTheoraView view;
        view.Open(clip.data(), static_cast<int>(clip.size()));
        view.SetFrame(1);
        name = Manager().GetTextureRecord(view.GetFrontTexture())->name;
    }
    EXPECT_EQ(Manager().SlotCount(), Manager().FindTexture(name));
}

TEST_F(TheoraView, BrokenClipsFailInOpenWithTheirMessages)
{
    EXPECT_EQ("eof searched, terminate...", FailureOf({}));
    // Cut inside the headers: after the comment's page, or inside it.
    std::vector<size_t> pageEnds;
    std::vector<unsigned char> clip = MakeGreyClip(ClipOptions{}, &pageEnds);
    ASSERT_GT(pageEnds.size(), 3u);
    EXPECT_EQ("eof searched. terminate...",
              FailureOf(std::vector<unsigned char>(clip.begin(), clip.begin() + pageEnds[1])));
    EXPECT_EQ("eof searched, terminate...",
              FailureOf(std::vector<unsigned char>(clip.begin(), clip.begin() + pageEnds[1] - 1)));
    // An Ogg file of another kind: a spoken word.
    const unsigned char* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(platform::FindEmbeddedBlob("bravo_sound", &data, &size));
    EXPECT_EQ("no theora stream found, terminate...",
              FailureOf(std::vector<unsigned char>(data, data + size)));
}

TEST_F(TheoraView, SetFrameShowsThePreparedFrameAndPreparesTheNext)
{
    const std::vector<unsigned char> clip = MakeGreyClip(ClipOptions{});
    IMTheoraView view;
    view.Open(clip.data(), static_cast<int>(clip.size()));
    view.SetFrame(1);
    EXPECT_EQ(1, view.GetFrame());
    EXPECT_EQ(0, FrameIn(view.GetTextureId()));
    EXPECT_EQ(view.GetFrontTexture(), view.GetTextureId());
    EXPECT_EQ(2, FrameIn(view.GetBackTexture()));
    view.SetFrame(2);
    EXPECT_EQ(2, FrameIn(view.GetTextureId()));
    EXPECT_EQ(3, FrameIn(view.GetBackTexture()));
}

TEST_F(TheoraView, GoingBackStartsTheClipAgain)
{
    const std::vector<unsigned char> clip = MakeGreyClip(ClipOptions{});
    IMTheoraView view;
    view.Open(clip.data(), static_cast<int>(clip.size()));
    for (int f = 1; f <= 6; ++f)
        view.SetFrame(f);
    ASSERT_EQ(7, view.GetDecodedFrame());
    view.SetFrame(2);
    EXPECT_EQ(3, view.GetDecodedFrame());
    EXPECT_EQ(3, FrameIn(view.GetBackTexture()));
    view.SetFrame(3);
    EXPECT_EQ(3, FrameIn(view.GetTextureId()));
}

TEST_F(TheoraView, TheLastFrameBecomesKnownWhenTheDataRunsOut)
{
    const std::vector<unsigned char> clip = MakeGreyClip(ClipOptions{});
    IMTheoraView view;
    view.Open(clip.data(), static_cast<int>(clip.size()));
    int f = 1;
    for (; f < 20 && view.GetLastFrame() == 0x7FFFFFFF; ++f)
        view.SetFrame(f);
    EXPECT_EQ(9, view.GetLastFrame());
    EXPECT_EQ(10, f); // found by the step that aimed past frame 9
    EXPECT_EQ(9, FrameIn(view.GetTextureId()));
}

TEST_F(TheoraView, AClipLargerThanOneChunkIsReadInChunks)
{
    ClipOptions options;
    options.width = 320;
    options.height = 240;
    options.frames = 12;
    options.noise = true;
    const std::vector<unsigned char> clip = MakeGreyClip(options);
    ASSERT_GT(clip.size(), 3u * 8192);
    IMTheoraView view;
    view.Open(clip.data(), static_cast<int>(clip.size()));
    EXPECT_LT(view.GetReadOffset(), static_cast<int>(clip.size()));
    EXPECT_EQ(0, view.GetReadOffset() % 8192);
    for (int f = 1; f <= 11; ++f)
        view.SetFrame(f);
    EXPECT_EQ(11, FrameIn(view.GetTextureId()));
}

TEST_F(TheoraView, ABadPacketFailsItsStepAndLeavesTheViewStill)
{
    ClipOptions options;
    options.badFrame = 4;
    const std::vector<unsigned char> clip = MakeGreyClip(options);
    IMTheoraView view;
    view.Open(clip.data(), static_cast<int>(clip.size()));
    view.SetFrame(1);
    view.SetFrame(2);
    EXPECT_THROW(view.SetFrame(3), std::runtime_error);
    // Nothing was prepared: later calls change nothing and do not wait.
    const int shown = view.GetTextureId();
    view.SetFrame(4);
    EXPECT_EQ(3, view.GetFrame());
    EXPECT_EQ(shown, view.GetTextureId());
}

TEST_F(TheoraView, AViewWhoseClipFailedNeverWaits)
{
    IMTheoraView view;
    EXPECT_THROW(view.Open(nullptr, 0), std::runtime_error);
    view.SetFrame(1);
    EXPECT_EQ(0, view.GetFrame());
    EXPECT_FALSE(view.HasTexture());
}
