// The video view: opening a clip (its frame textures and its failures), the
// frame each SetFrame shows and prepares, going back, and the end of the
// data. The clips are made in memory, one flat grey per frame.
#include "framework/video/IMTheoraView.h"

#include "../views/texture_fixture.h"
#include "clip_maker.h"
#include "framework/video/IMYuvConvert.h"
#include "platform/kernel32_resource.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace video_test;

namespace {

class TheoraView : public testing_support::TextureTest {
protected:
    void Open(IMTheoraView& view) { view.Open(clip.data(), static_cast<int>(clip.size())); }

    // The frame of the test clip a texture holds (read off its pixel copy), or -1.
    int FrameIn(int id)
    {
        Manager().TakePixelCopy(id);
        const IMTextureRecord* record = Manager().GetTextureRecord(id);
        const int grey = record && !record->pixels.empty() ? record->pixels[5 * record->pitch] : -1;
        for (int i = 0; i < 12; ++i)
            if (std::abs(grey - FrameGrey(i)) <= 2)
                return i;
        return -1;
    }

    std::string FailureOf(const unsigned char* data, size_t size)
    {
        try {
            IMTheoraView view;
            view.Open(data, static_cast<int>(size));
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "";
    }

    std::wstring Name(int id) { return Manager().GetTextureRecord(id)->name; }

    std::vector<size_t> pageEnds;
    std::vector<unsigned char> clip = MakeGreyClip(10, -1, &pageEnds);
};

} // namespace

TEST_F(TheoraView, EachOpenedClipNamesItsTwoTexturesWithTheNextNumber)
{
    IMTheoraView a, b;
    Open(a);
    Open(b);
    const int n = std::stoi(Name(a.GetFrontTexture()).substr(13));
    EXPECT_EQ(L"IMTheoraView1" + std::to_wstring(n), Name(a.GetFrontTexture()));
    EXPECT_EQ(L"IMTheoraView2" + std::to_wstring(n), Name(a.GetBackTexture()));
    EXPECT_EQ(L"IMTheoraView1" + std::to_wstring(n + 1), Name(b.GetFrontTexture()));
    // The blank front is shown; frame 0 waits in back.
    EXPECT_EQ(a.GetFrontTexture(), a.GetTextureId());
    EXPECT_EQ(0, FrameIn(a.GetBackTexture()));
}

TEST_F(TheoraView, BrokenClipsFailInOpenWithTheirMessages)
{
    EXPECT_EQ("eof searched, terminate...", FailureOf(nullptr, 0));
    // Cut after the comment header's page: the setup header is missing.
    EXPECT_EQ("eof searched. terminate...", FailureOf(clip.data(), pageEnds[1]));
    // An Ogg file of another kind: a spoken word.
    const unsigned char* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(platform::FindEmbeddedBlob("bravo_sound", &data, &size));
    EXPECT_EQ("no theora stream found, terminate...", FailureOf(data, size));
}

TEST_F(TheoraView, SetFrameShowsThePreparedFrameAndPreparesTheNext)
{
    IMTheoraView view;
    Open(view);
    view.SetFrame(1);
    EXPECT_EQ(0, FrameIn(view.GetTextureId()));
    EXPECT_EQ(2, FrameIn(view.GetBackTexture()));
    view.SetFrame(2);
    EXPECT_EQ(2, FrameIn(view.GetTextureId()));
}

TEST_F(TheoraView, GoingBackStartsTheClipAgain)
{
    IMTheoraView view;
    Open(view);
    for (int f = 1; f <= 6; ++f)
        view.SetFrame(f);
    view.SetFrame(2);
    EXPECT_EQ(3, view.GetDecodedFrame());
    EXPECT_EQ(3, FrameIn(view.GetBackTexture()));
}

TEST_F(TheoraView, TheLastFrameBecomesKnownWhenTheDataRunsOut)
{
    IMTheoraView view;
    Open(view);
    for (int f = 1; f <= 8; ++f)
        view.SetFrame(f);
    EXPECT_EQ(0x7FFFFFFF, view.GetLastFrame());
    view.SetFrame(9);
    EXPECT_EQ(9, view.GetLastFrame());
    EXPECT_EQ(9, FrameIn(view.GetTextureId()));
}

TEST_F(TheoraView, AFailedStepOrOpenLeavesTheViewStillWithoutWaiting)
{
    clip = MakeGreyClip(10, 4);
    IMTheoraView view;
    Open(view);
    view.SetFrame(1);
    view.SetFrame(2);
    EXPECT_THROW(view.SetFrame(3), std::runtime_error);
    const int shown = view.GetTextureId();
    view.SetFrame(4);
    EXPECT_EQ(3, view.GetFrame());
    EXPECT_EQ(shown, view.GetTextureId());

    IMTheoraView never;
    EXPECT_THROW(never.Open(nullptr, 0), std::runtime_error);
    never.SetFrame(1);
    EXPECT_EQ(0, never.GetFrame());

    // Without the decoder library (it is loaded when the first view is
    // made) a good clip fails to open the same way, and the next view made
    // with the library back shows it.
    videotest::UseTheoraLibrary("libkvarlop-missing-theora.so.0");
    {
        IMTheoraView without;
        EXPECT_THROW(Open(without), std::runtime_error);
        without.SetFrame(1);
        EXPECT_EQ(0, without.GetFrame());
    }
    videotest::UseTheoraLibrary(nullptr);
    IMTheoraView with;
    Open(with);
    with.SetFrame(1);
    EXPECT_EQ(1, with.GetFrame());
}

TEST_F(TheoraView, ClipsOfEveryChromaLayoutShowTheirColours)
{
    // Each quadrant's colour as the converter makes it from its samples.
    uint32_t expected[4];
    for (int q = 0; q < 4; ++q) {
        const unsigned char y[2] = {static_cast<unsigned char>(kQuadrants[q].y),
                                    static_cast<unsigned char>(kQuadrants[q].y)};
        const unsigned char u = static_cast<unsigned char>(kQuadrants[q].u);
        const unsigned char v = static_cast<unsigned char>(kQuadrants[q].v);
        unsigned char out[8];
        IMConvertYuvToBgrxScalar(IMYuvPlanes{y, &u, &v, 2, 1, 2, 1}, out, 8, 2, 1);
        expected[q] = out[0] | out[1] << 8 | out[2] << 16;
    }
    // Each case: the clip's format, the part of the coded frame it shows,
    // and a point in the middle of each quadrant as it is shown, away from
    // the edges the coding blurs. A cropped clip's 32 x 32 picture at (16, 8)
    // has the quadrants' corners meeting at its (16, 16).
    const struct {
        int format;
        video_test::Picture picture;
        int xs[4], ys[4];
    } cases[] = {
        {OC_PF_420, {}, {16, 48, 16, 48}, {12, 12, 36, 36}},
        {OC_PF_422, {}, {16, 48, 16, 48}, {12, 12, 36, 36}},
        {OC_PF_444, {}, {16, 48, 16, 48}, {12, 12, 36, 36}},
        {OC_PF_420, {16, 8, 32, 32}, {6, 26, 6, 26}, {6, 6, 26, 26}},
        {OC_PF_444, {16, 8, 32, 32}, {6, 26, 6, 26}, {6, 6, 26, 26}},
    };
    for (const auto& c : cases) {
        clip = MakeQuadrantClip(c.format, 2, c.picture);
        IMTheoraView view;
        Open(view);
        view.SetFrame(1);
        Manager().TakePixelCopy(view.GetTextureId());
        const IMTextureRecord* record = Manager().GetTextureRecord(view.GetTextureId());
        ASSERT_TRUE(record && !record->pixels.empty());
        EXPECT_EQ(record->imageRect.right, c.picture.width);
        EXPECT_EQ(record->imageRect.bottom, c.picture.height);
        for (int q = 0; q < 4; ++q) {
            const unsigned char* p = &record->pixels[c.ys[q] * record->pitch + c.xs[q] * 4];
            for (int b = 0; b < 3; ++b)
                EXPECT_NEAR(p[b], int(expected[q] >> (8 * b) & 0xFF), 12)
                    << "format " << c.format << ", picture at " << c.picture.x << ","
                    << c.picture.y << ", quadrant " << q << ", byte " << b;
        }
    }
}
