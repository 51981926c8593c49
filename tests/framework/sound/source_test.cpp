// The decoder of one sound: its length from memory and from resources, what
// Read delivers, rewinding, and which names stand for resource numbers.
#include "sound_fixture.h"

#include "fuzz/ogg_checksums.h"

#include "framework/sound/CSoundSource.h"
#include "platform/codepage.h"
#include "platform/kernel32_resource.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unistd.h>

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
    for (const wchar_t* name :
         {L"", L"107a", L"+107", L"-1", L" 107", L"107 ", L"1.5", L"99999999999"})
        EXPECT_FALSE(CSoundSource::ParseResourceNumber(name, &id)) << name;
}

namespace {

double Rms(const std::vector<int16_t>& samples, int channel, int channels)
{
    double sum = 0.0;
    size_t count = 0;
    for (size_t i = size_t(channel); i < samples.size(); i += size_t(channels), ++count)
        sum += double(samples[i]) * samples[i];
    return count ? std::sqrt(sum / double(count)) : 0.0;
}

} // namespace

TEST(SoundSource, SurroundSoundIsMixedDownToStereoWhole)
{
    // Eight channels in Vorbis order (front left, centre, front right, side
    // left, side right, rear left, rear right, low frequencies): a tone at
    // the front left and on the low-frequency channel, the rest silent.
    const int channels = 8;
    const long frames = 8000;
    const std::vector<float> tone = Tone(1, 44100, frames);
    std::vector<float> samples(size_t(frames) * channels, 0.0f);
    for (long i = 0; i < frames; ++i) {
        samples[size_t(i) * channels + 0] = tone[size_t(i)];
        samples[size_t(i) * channels + 7] = tone[size_t(i)];
    }
    const std::vector<unsigned char> ogg = EncodeVorbis(channels, 44100, samples);
    CSoundSource source;
    ASSERT_TRUE(source.OpenMemory(ogg.data(), unsigned(ogg.size())));
    EXPECT_EQ(source.Channels(), 2);
    EXPECT_EQ(source.BytesPerFrame(), 4);
    EXPECT_EQ(source.TotalFrames(), frames);

    std::vector<int16_t> out(size_t(frames) * 2 + 100);
    ASSERT_EQ(source.Read(out.data(), unsigned(out.size() * 2)), unsigned(frames) * 4);
    out.resize(size_t(frames) * 2);
    EXPECT_GT(Rms(out, 0, 2), 2000.0);
    EXPECT_LT(Rms(out, 1, 2), 200.0);
}

TEST(SoundSource, DamagedPageMidwayDoesNotCutOffTheRest)
{
    // A tone with noise, so that the sound takes many pages.
    const long frames = 3 * 44100;
    std::vector<float> samples = Tone(2, 44100, frames);
    unsigned noise = 1;
    for (float& sample : samples) {
        noise = noise * 1103515245u + 12345u;
        sample += float(int(noise >> 16 & 0x7FFF) - 0x4000) / 0x10000;
    }
    std::vector<unsigned char> ogg = EncodeVorbis(2, 44100, samples);
    // A byte of a page in the middle is changed, so that page fails its
    // checksum and is lost; pages follow it.
    const std::string capture = "OggS";
    const auto page =
        std::search(ogg.begin() + long(ogg.size() / 2), ogg.end(), capture.begin(), capture.end());
    ASSERT_NE(std::search(page + 1, ogg.end(), capture.begin(), capture.end()), ogg.end());
    page[page[26] + 40] ^= 0x5A; // inside the body, after the segment table

    CSoundSource source;
    ASSERT_TRUE(source.OpenMemory(ogg.data(), unsigned(ogg.size())));
    std::vector<int16_t> out(size_t(frames) * 2);
    const unsigned got = source.Read(out.data(), unsigned(out.size() * 2));
    EXPECT_GT(got, unsigned(frames) * 4 * 8 / 10);
    EXPECT_LT(got, unsigned(frames) * 4); // the lost page is not played
    // The tone goes on to the end.
    out.resize(got / 2);
    const std::vector<int16_t> last(out.end() - 2000, out.end());
    EXPECT_GT(Rms(last, 0, 2), 4000.0);
}

TEST(SoundSource, FileSoundRewindsToItsStart)
{
    const std::vector<unsigned char> ogg = EncodeVorbis(1, 22050, Tone(1, 22050, 3000));
    char path[] = "/tmp/kvarlop-sound-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, ogg.data(), ogg.size()), ssize_t(ogg.size()));
    close(fd);

    CSoundSource source;
    ASSERT_TRUE(source.OpenFile(platform::Utf8ToWide(path)));
    std::vector<char> first(3000 * 2), second(3000 * 2);
    EXPECT_EQ(source.Read(first.data(), unsigned(first.size())), 6000u);
    ASSERT_TRUE(source.Rewind());
    EXPECT_EQ(source.TotalFrames(), 3000);
    EXPECT_EQ(source.Read(second.data(), unsigned(second.size())), 6000u);
    EXPECT_EQ(first, second);
    unlink(path);
}

namespace {

// Ogg Vorbis data of several sections (each its own logical stream, given a
// serial number of its own), played one after the other.
std::vector<unsigned char> Chain(const std::vector<std::vector<unsigned char>>& sections)
{
    std::vector<unsigned char> out;
    uint8_t serial = 0x20;
    for (const std::vector<unsigned char>& section : sections) {
        std::vector<unsigned char> bytes = section;
        for (size_t at = 0; at + 27 <= bytes.size(); ++at)
            if (std::equal(bytes.begin() + long(at), bytes.begin() + long(at) + 4, "OggS"))
                bytes[at + 14] = serial;
        ++serial;
        fuzzfeed::MendChecksums(bytes.data(), bytes.size());
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

// The tone's frequency in a stretch of one channel, from its rising zero
// crossings.
double Hertz(const std::vector<int16_t>& samples, size_t from, size_t to, int channels, int rate)
{
    int rises = 0;
    size_t first = 0, last = 0;
    for (size_t i = from + size_t(channels); i < to; i += size_t(channels))
        if (samples[i - size_t(channels)] < 0 && samples[i] >= 0) {
            if (rises++ == 0)
                first = i;
            last = i;
        }
    return rises > 1 ? double(rises - 1) * rate * channels / double(last - first) : 0.0;
}

} // namespace

TEST(SoundSource, ChainedSectionsOfAnotherRatePlayAtTheirOwnPitch)
{
    // 440 Hz: half a second at 48 kHz (its audio in one page), half a
    // second at 22,050 Hz in mono, then half a second at 48 kHz again.
    const std::vector<unsigned char> ogg = Chain({EncodeVorbis(2, 48000, Tone(2, 48000, 24000)),
                                                  EncodeVorbis(1, 22050, Tone(1, 22050, 11025)),
                                                  EncodeVorbis(2, 48000, Tone(2, 48000, 24000))});
    CSoundSource source;
    ASSERT_TRUE(source.OpenMemory(ogg.data(), unsigned(ogg.size())));
    EXPECT_EQ(source.Rate(), 48000);
    EXPECT_EQ(source.Channels(), 2);

    // Read in pieces that split the converted frames.
    std::vector<int16_t> out(200000 * 2);
    unsigned done = 0;
    while (unsigned got = source.Read(reinterpret_cast<char*>(out.data()) + done, 1001 * 4))
        done += got;
    out.resize(done / 2);
    // Each section lasts as long at the sound's rate, at its own pitch.
    EXPECT_NEAR(double(out.size() / 2), 72000.0, 20.0);
    const size_t starts[4] = {0, 24000, 48000, 72000};
    ASSERT_GT(out.size(), 2u * 48000);
    for (size_t section = 0; section < 3; ++section)
        for (int channel = 0; channel < 2; ++channel)
            EXPECT_NEAR(Hertz(out, 2 * starts[section] + 2000 + size_t(channel),
                              std::min(out.size(), 2 * starts[section + 1]) - 2000, 2, 48000),
                        440.0, 2.0)
                << "section " << section << ", channel " << channel;

    // Once more from the start: the same samples.
    ASSERT_TRUE(source.Rewind());
    std::vector<int16_t> again(out.size() + 100);
    unsigned second = 0;
    while (unsigned got = source.Read(reinterpret_cast<char*>(again.data()) + second, 4096 * 4))
        second += got;
    again.resize(second / 2);
    EXPECT_EQ(again, out);
}
