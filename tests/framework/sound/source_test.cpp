// The decoder of one sound: its length from memory and from resources, what
// Read delivers, rewinding, and which names stand for resource numbers.
#include "sound_fixture.h"

#include "framework/sound/CSoundSource.h"
#include "platform/kernel32_resource.h"

using namespace soundtesting;

TEST(SoundSource, MemorySoundKeepsItsWholeLength)
{
    const std::vector<unsigned char> ogg = EncodeVorbis(2, 44100, Tone(2, 44100, 10000));
    CSoundSource source;
    ASSERT_TRUE(source.OpenMemory(ogg.data(), unsigned(ogg.size())));
    EXPECT_EQ(source.Channels(), 2);
    EXPECT_EQ(source.Rate(), 44100);
    EXPECT_EQ(source.BytesPerFrame(), 4);
    EXPECT_EQ(source.TotalFrames(), 10000);
}

TEST(SoundSource, ResourceSoundEndsTwentyMillisecondsEarly)
{
    static const std::vector<unsigned char> stereo = EncodeVorbis(2, 44100, Tone(2, 44100, 10000));
    static const std::vector<unsigned char> mono = EncodeVorbis(1, 44000, Tone(1, 44000, 5000));
    static const std::vector<unsigned char> tiny = EncodeVorbis(1, 44100, Tone(1, 44100, 800));
    platform::RegisterExecutableResource(4101, stereo.data(), stereo.size());
    platform::RegisterExecutableResource(4102, mono.data(), mono.size());
    platform::RegisterExecutableResource(4103, tiny.data(), tiny.size());

    CSoundSource a, b, c;
    ASSERT_TRUE(a.OpenByName(L"4101"));
    EXPECT_EQ(a.TotalFrames(), 10000 - 882);
    ASSERT_TRUE(b.OpenResource(4102));
    EXPECT_EQ(b.TotalFrames(), 5000 - 880);
    EXPECT_EQ(b.BytesPerFrame(), 2);
    // No shorter than nothing: a sound of at most 20 ms keeps its length.
    ASSERT_TRUE(c.OpenResource(4103));
    EXPECT_EQ(c.TotalFrames(), 800);
}

TEST(SoundSource, ReadStopsAtThePlayableLengthAndRewinds)
{
    static const std::vector<unsigned char> ogg = EncodeVorbis(2, 44100, Tone(2, 44100, 5000));
    platform::RegisterExecutableResource(4104, ogg.data(), ogg.size());
    CSoundSource source;
    ASSERT_TRUE(source.OpenResource(4104));
    const unsigned playable = unsigned(5000 - 882) * 4;

    std::vector<char> first(playable + 4000, 0x55);
    EXPECT_EQ(source.Read(first.data(), unsigned(first.size())), playable);
    EXPECT_EQ(first[playable], 0x55); // nothing written past what was delivered
    char more[64];
    EXPECT_EQ(source.Read(more, sizeof more), 0u);

    ASSERT_TRUE(source.Rewind());
    std::vector<char> second(playable);
    // In pieces that split frames, the same bytes come again.
    unsigned done = 0;
    while (done < playable) {
        const unsigned got = source.Read(second.data() + done, std::min(777u, playable - done));
        ASSERT_GT(got, 0u);
        done += got;
    }
    EXPECT_TRUE(std::equal(second.begin(), second.end(), first.begin()));
}

TEST(SoundSource, ResourceNumbersAreWholeDecimalNames)
{
    WORD id = 0;
    EXPECT_TRUE(CSoundSource::ParseResourceNumber(L"107", &id));
    EXPECT_EQ(id, 107);
    EXPECT_TRUE(CSoundSource::ParseResourceNumber(L"65643", &id));
    EXPECT_EQ(id, 107); // the low 16 bits
    for (const wchar_t* name : {L"", L"107a", L"+107", L"-1", L" 107", L"107 ", L"1.5",
                                L"99999999999"})
        EXPECT_FALSE(CSoundSource::ParseResourceNumber(name, &id)) << name;
}
