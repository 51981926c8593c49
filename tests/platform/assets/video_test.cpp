// Checks of the praise clips as shipped in assets/video/: each one is read
// with libogg and decoded frame by frame with libtheora's legacy decoder
// interface, the one the video view plays them with.

#include <gtest/gtest.h>

#include <ogg/ogg.h>
#include <theora/theora.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

fs::path VideoDir()
{
    // The tests folder sits at the repository root.
    return fs::path(KVARLOP_TESTS_DIR).parent_path() / "assets" / "video";
}

std::vector<unsigned char> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// Luma of one decoded frame, averaged over a grid of 20 x 15 blocks.
using LumaGrid = std::vector<double>;

LumaGrid Grid(const yuv_buffer& yuv)
{
    LumaGrid grid(20 * 15, 0.0);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            grid[(y / 16) * 20 + x / 16] += yuv.y[y * yuv.y_stride + x];
    for (double& cell : grid)
        cell /= 16.0 * 16.0;
    return grid;
}

struct ClipReport {
    std::string error; // empty when the whole clip decoded
    int streams = 0;   // logical streams (beginning-of-stream pages)
    int headers = 0;
    theora_info info{}; // copied once the headers are read
    int frames = 0;
    bool planesMatch = true; // every frame's planes have the header's size
    std::vector<LumaGrid> luma;
};

class ClipDecoder {
public:
    explicit ClipDecoder(const std::vector<unsigned char>& data) : data_(data)
    {
        ogg_sync_init(&sync_);
        theora_info_init(&info_);
        theora_comment_init(&comment_);
    }
    ~ClipDecoder()
    {
        if (decoding_)
            theora_clear(&state_);
        if (haveStream_)
            ogg_stream_clear(&stream_);
        theora_comment_clear(&comment_);
        theora_info_clear(&info_);
        ogg_sync_clear(&sync_);
    }
    ClipDecoder(const ClipDecoder&) = delete;
    ClipDecoder& operator=(const ClipDecoder&) = delete;

    ClipReport Run()
    {
        ogg_page page;
        while (report_.error.empty()) {
            int got = ogg_sync_pageout(&sync_, &page);
            if (got < 0) {
                report_.error = "damaged page (lost sync)";
            } else if (got == 0) {
                if (!Feed())
                    break;
            } else if (ogg_page_bos(&page)) {
                OnFirstPage(page);
            } else if (!haveStream_) {
                report_.error = "no Theora stream";
            } else if (ogg_page_serialno(&page) == stream_.serialno) {
                ogg_stream_pagein(&stream_, &page);
                DrainPackets();
            }
        }
        if (report_.error.empty() && report_.headers < 3)
            report_.error = "the clip ends before its headers";
        return report_;
    }

private:
    bool Feed()
    {
        size_t n = std::min<size_t>(8192, data_.size() - offset_);
        if (n == 0)
            return false;
        std::memcpy(ogg_sync_buffer(&sync_, long(n)), data_.data() + offset_, n);
        ogg_sync_wrote(&sync_, long(n));
        offset_ += n;
        return true;
    }

    void OnFirstPage(ogg_page& page)
    {
        ++report_.streams;
        if (haveStream_)
            return;
        ogg_stream_init(&stream_, ogg_page_serialno(&page));
        ogg_stream_pagein(&stream_, &page);
        ogg_packet packet;
        if (ogg_stream_packetout(&stream_, &packet) == 1 &&
            theora_decode_header(&info_, &comment_, &packet) == 0) {
            haveStream_ = true;
            report_.headers = 1;
        } else {
            ogg_stream_clear(&stream_);
        }
    }

    void DrainPackets()
    {
        ogg_packet packet;
        while (report_.error.empty()) {
            int got = ogg_stream_packetout(&stream_, &packet);
            if (got == 0)
                return;
            if (got < 0) {
                report_.error = "a hole in the stream";
            } else if (report_.headers < 3) {
                if (theora_decode_header(&info_, &comment_, &packet) != 0) {
                    report_.error = "bad header " + std::to_string(report_.headers + 1);
                } else if (++report_.headers == 3) {
                    theora_decode_init(&state_, &info_);
                    decoding_ = true;
                    report_.info = info_;
                }
            } else {
                DecodeFrame(packet);
            }
        }
    }

    void DecodeFrame(ogg_packet& packet)
    {
        yuv_buffer yuv;
        if (theora_decode_packetin(&state_, &packet) != 0) {
            report_.error = "frame " + std::to_string(report_.frames) + " does not decode";
            return;
        }
        if (theora_decode_YUVout(&state_, &yuv) != 0) {
            report_.error = "frame " + std::to_string(report_.frames) + " gives no picture";
            return;
        }
        ++report_.frames;
        if (yuv.y_width < kWidth || yuv.y_height < kHeight || yuv.uv_width * 2 != yuv.y_width ||
            yuv.uv_height * 2 != yuv.y_height) {
            report_.planesMatch = false;
            return;
        }
        report_.luma.push_back(Grid(yuv));
    }

    const std::vector<unsigned char>& data_;
    size_t offset_ = 0;
    ogg_sync_state sync_;
    ogg_stream_state stream_;
    bool haveStream_ = false;
    theora_info info_;
    theora_comment comment_;
    theora_state state_;
    bool decoding_ = false;
    ClipReport report_;
};

const ClipReport& Clip(const std::string& file)
{
    static std::map<std::string, ClipReport> cache;
    auto found = cache.find(file);
    if (found == cache.end()) {
        std::vector<unsigned char> data = ReadFile(VideoDir() / file);
        found = cache.emplace(file, ClipDecoder(data).Run()).first;
    }
    return found->second;
}

double MeanDifference(const LumaGrid& a, const LumaGrid& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += std::fabs(a[i] - b[i]);
    return sum / double(a.size());
}

double Spread(const LumaGrid& grid)
{
    double mean = 0, square = 0;
    for (double v : grid)
        mean += v;
    mean /= double(grid.size());
    for (double v : grid)
        square += (v - mean) * (v - mean);
    return std::sqrt(square / double(grid.size()));
}

const char* const kClips[] = {
    "bravo_video.ogv",    "gotovo_video.ogv", "molodec_video.ogv",
    "otlichno_video.ogv", "ura_video.ogv",
};

class EachClip : public ::testing::TestWithParam<const char*> {
protected:
    const ClipReport& clip() const { return Clip(GetParam()); }
};

TEST_P(EachClip, DecodesEveryFrame)
{
    EXPECT_EQ(clip().error, "");
    EXPECT_GT(clip().frames, 0);
    EXPECT_TRUE(clip().planesMatch);
}

TEST_P(EachClip, Holds320By240FramesIn420)
{
    ASSERT_EQ(clip().headers, 3) << clip().error;
    const theora_info& info = clip().info;
    EXPECT_EQ(info.width, 320u);
    EXPECT_EQ(info.height, 240u);
    EXPECT_EQ(info.frame_width, 320u);
    EXPECT_EQ(info.frame_height, 240u);
    EXPECT_EQ(info.offset_x, 0u);
    EXPECT_EQ(info.offset_y, 0u);
    EXPECT_EQ(info.pixelformat, OC_PF_420);
}

TEST_P(EachClip, DeclaresTwelveFramesPerSecond)
{
    ASSERT_EQ(clip().headers, 3) << clip().error;
    EXPECT_EQ(clip().info.fps_numerator, 12u);
    EXPECT_EQ(clip().info.fps_denominator, 1u);
}

TEST_P(EachClip, LastsTwoToFourSeconds)
{
    ASSERT_EQ(clip().error, "");
    double seconds = clip().frames / 12.0;
    EXPECT_GE(seconds, 2.0);
    EXPECT_LE(seconds, 4.0);
}

TEST_P(EachClip, IsVideoOnly)
{
    // The word of praise is a sound of its own; the clip carries no audio.
    EXPECT_EQ(clip().streams, 1);
}

TEST_P(EachClip, MovesAndIsNoBlankPicture)
{
    ASSERT_EQ(clip().error, "");
    ASSERT_GE(clip().luma.size(), 2u);
    const LumaGrid& first = clip().luma.front();
    const LumaGrid& middle = clip().luma[clip().luma.size() / 2];
    EXPECT_GT(Spread(middle), 8.0) << "the picture is nearly flat";
    EXPECT_GT(MeanDifference(first, middle), 2.0) << "the picture hardly changes";
}

INSTANTIATE_TEST_SUITE_P(Assets, EachClip, ::testing::ValuesIn(kClips),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(VideoAssets, FolderHoldsExactlyThePraiseClips)
{
    std::set<std::string> expected(std::begin(kClips), std::end(kClips));
    std::set<std::string> present;
    for (const auto& entry : fs::directory_iterator(VideoDir()))
        present.insert(entry.path().filename().string());
    EXPECT_EQ(present, expected);
}

TEST(VideoAssets, DamagedClipIsNoticed)
{
    // The checks above rely on the decoder run reporting damage: one changed
    // byte in the middle of a clip breaks its page's checksum.
    std::vector<unsigned char> data = ReadFile(VideoDir() / kClips[0]);
    ASSERT_GT(data.size(), 1000u);
    data[data.size() / 2] ^= 0x5A;
    EXPECT_NE(ClipDecoder(data).Run().error, "");
}

TEST(VideoAssets, TruncatedHeadersAreNoticed)
{
    std::vector<unsigned char> data = ReadFile(VideoDir() / kClips[0]);
    data.resize(std::min<size_t>(data.size(), 200));
    EXPECT_NE(ClipDecoder(data).Run().error, "");
}

} // namespace
