// Checks of the program's sounds as shipped in assets/sounds/: each one is
// decoded whole to 16-bit samples with libvorbisfile, as the sound system
// plays it, and its format, length, level and timing are measured.

#include <gtest/gtest.h>

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path SoundsDir()
{
    // The tests folder sits at the repository root.
    return fs::path(KVARLOP_TESTS_DIR).parent_path() / "assets" / "sounds";
}

struct DecodedSound {
    bool opened = false;
    std::string error;
    int channels = 0;
    long rate = 0;
    long long totalFrames = 0;    // as the stream's header and granules tell
    std::vector<int16_t> samples; // interleaved, as decoded
};

DecodedSound DecodeFile(const fs::path& path)
{
    DecodedSound sound;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) {
        sound.error = "cannot open " + path.string() + " as Ogg Vorbis";
        return sound;
    }
    sound.opened = true;
    const vorbis_info* info = ov_info(&file, -1);
    sound.channels = info->channels;
    sound.rate = info->rate;
    sound.totalFrames = ov_pcm_total(&file, -1);
    char buffer[8192];
    int section = 0;
    for (;;) {
        long got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section);
        if (got == 0)
            break;
        if (got < 0) {
            sound.error = "decoding error " + std::to_string(got) + " in " + path.string();
            break;
        }
        const auto* words = reinterpret_cast<const int16_t*>(buffer);
        sound.samples.insert(sound.samples.end(), words, words + got / 2);
    }
    ov_clear(&file);
    return sound;
}

// Each sound is decoded once for all the tests.
const DecodedSound& Sound(const std::string& name)
{
    static std::map<std::string, DecodedSound> cache;
    auto found = cache.find(name);
    if (found == cache.end())
        found = cache.emplace(name, DecodeFile(SoundsDir() / (name + ".ogg"))).first;
    return found->second;
}

double Seconds(const DecodedSound& s)
{
    return double(s.totalFrames) / double(s.rate);
}

double ToDb(double linear)
{
    return 20.0 * std::log10(std::max(linear, 1e-12));
}

int Peak(const DecodedSound& s, size_t firstFrame, size_t endFrame)
{
    int peak = 0;
    endFrame = std::min(endFrame, s.samples.size() / size_t(s.channels));
    for (size_t i = firstFrame * s.channels; i < endFrame * s.channels; ++i)
        peak = std::max(peak, std::abs(int(s.samples[i])));
    return peak;
}

double PeakDb(const DecodedSound& s, double fromSec, double toSec)
{
    return ToDb(Peak(s, size_t(fromSec * s.rate), size_t(toSec * s.rate)) / 32768.0);
}

// Mean power of each 50 ms window, over all channels, full scale = 1.
std::vector<double> WindowPowers(const DecodedSound& s)
{
    const size_t window = size_t(s.rate / 20) * size_t(s.channels);
    std::vector<double> powers;
    for (size_t start = 0; start + window <= s.samples.size(); start += window) {
        double sum = 0;
        for (size_t i = start; i < start + window; ++i) {
            double v = s.samples[i] / 32768.0;
            sum += v * v;
        }
        powers.push_back(sum / double(window));
    }
    return powers;
}

// The level of the sound while it sounds: the power mean of the windows no
// more than 20 dB below the loudest one, in dBFS.
double ActiveLevelDb(const DecodedSound& s)
{
    std::vector<double> powers = WindowPowers(s);
    if (powers.empty())
        return -240.0;
    double loudest = *std::max_element(powers.begin(), powers.end());
    double sum = 0;
    int count = 0;
    for (double p : powers) {
        if (p >= loudest * 0.01) {
            sum += p;
            ++count;
        }
    }
    return 10.0 * std::log10(std::max(sum / count, 1e-24));
}

struct Expected {
    const char* name;
    int channels;
    long rate;
    double minSeconds;
    double maxSeconds;
    bool voice;
};

std::ostream& operator<<(std::ostream& out, const Expected& e)
{
    return out << e.name;
}

const Expected kSounds[] = {
    {"105", 2, 44000, 23.7, 24.1, true},         {"ENDHELPSOUND", 2, 44100, 5.0, 5.4, true},
    {"107", 2, 44100, 1.0, 3.0, false},          {"MOUSE_CLICK_SOUND", 2, 44000, 0.33, 0.39, false},
    {"bravo_sound", 2, 44100, 0.4, 2.0, true},   {"gotovo_sound", 2, 44100, 0.4, 2.0, true},
    {"molodec_sound", 2, 44100, 0.4, 2.0, true}, {"otlichno_sound", 2, 44100, 0.4, 2.0, true},
    {"ura_sound", 2, 44100, 0.4, 2.0, true},
};

class EachSound : public ::testing::TestWithParam<Expected> {
protected:
    const DecodedSound& sound() const { return Sound(GetParam().name); }
};

TEST_P(EachSound, DecodesWholeInItsFormat)
{
    const DecodedSound& s = sound();
    ASSERT_TRUE(s.opened) << s.error;
    EXPECT_TRUE(s.error.empty()) << s.error;
    EXPECT_EQ(s.channels, GetParam().channels);
    EXPECT_EQ(s.rate, GetParam().rate);
    // Every frame the header promises comes out of the decoder.
    EXPECT_EQ(static_cast<long long>(s.samples.size()), s.totalFrames * s.channels);
}

TEST_P(EachSound, LastsAsLongAsItsUseNeeds)
{
    const DecodedSound& s = sound();
    ASSERT_TRUE(s.opened) << s.error;
    EXPECT_GE(Seconds(s), GetParam().minSeconds);
    EXPECT_LE(Seconds(s), GetParam().maxSeconds);
}

TEST_P(EachSound, PeaksStayClearOfFullScale)
{
    const DecodedSound& s = sound();
    ASSERT_TRUE(s.opened) << s.error;
    int peak = Peak(s, 0, s.samples.size());
    EXPECT_LT(peak, 32767) << "clipped";
    EXPECT_LE(ToDb(peak / 32768.0), -1.0) << "no headroom left";
    EXPECT_GE(ToDb(peak / 32768.0), -9.0) << "far too quiet";
}

TEST_P(EachSound, StartsAndEndsInSilence)
{
    // Sounds played from the executable's resources lose their last 20 ms;
    // that, and the first moments, must be silence, or a word is cut or clicks.
    const DecodedSound& s = sound();
    ASSERT_TRUE(s.opened) << s.error;
    double length = Seconds(s);
    EXPECT_LE(PeakDb(s, 0.0, 0.005), -50.0) << "sound at the very start";
    EXPECT_LE(PeakDb(s, length - 0.030, length), -50.0) << "sound in the last 30 ms";
}

INSTANTIATE_TEST_SUITE_P(Assets, EachSound, ::testing::ValuesIn(kSounds),
                         [](const ::testing::TestParamInfo<Expected>& info) {
                             return std::string(info.param.name);
                         });

TEST(SoundAssets, FolderHoldsExactlyTheProgramsSounds)
{
    // Every file in the folder is embedded under its name: a stray or
    // misnamed file would be shipped and the wanted one missed.
    std::set<std::string> expected;
    for (const Expected& e : kSounds)
        expected.insert(std::string(e.name) + ".ogg");
    std::set<std::string> present;
    for (const auto& entry : fs::directory_iterator(SoundsDir()))
        present.insert(entry.path().filename().string());
    EXPECT_EQ(present, expected);
}

TEST(SoundAssets, VoicesAreEquallyLoud)
{
    std::map<std::string, double> levels;
    double sum = 0;
    for (const Expected& e : kSounds) {
        if (!e.voice)
            continue;
        ASSERT_TRUE(Sound(e.name).opened) << Sound(e.name).error;
        levels[e.name] = ActiveLevelDb(Sound(e.name));
        sum += levels[e.name];
    }
    double mean = sum / double(levels.size());
    for (const auto& [name, level] : levels)
        EXPECT_NEAR(level, mean, 2.0) << name << " is louder or quieter than the other voices";
}

TEST(SoundAssets, ChimeAndClickSitNoLouderThanTheVoices)
{
    double voice = ActiveLevelDb(Sound("105"));
    EXPECT_LE(ActiveLevelDb(Sound("107")), voice + 1.0);
    EXPECT_LE(ActiveLevelDb(Sound("MOUSE_CLICK_SOUND")), voice);
}

// The instruction's voice carries the mouse demonstration: the pointer shows
// at 14.4 s, clicks at 15.6 s and the bubble is gone at 15.9 s, so the
// sentence about pointing and clicking must be spoken in that window.
class InstructionVoice : public ::testing::Test {
protected:
    const DecodedSound& voice() { return Sound("105"); }

    // Share of the 50 ms windows between the two times that hold speech.
    double SpokenShare(double fromSec, double toSec)
    {
        std::vector<double> powers = WindowPowers(voice());
        size_t first = size_t(fromSec * 20), last = std::min(powers.size(), size_t(toSec * 20));
        int spoken = 0;
        for (size_t i = first; i < last; ++i)
            spoken += 10.0 * std::log10(std::max(powers[i], 1e-24)) > -40.0;
        return last > first ? double(spoken) / double(last - first) : 0.0;
    }
};

TEST_F(InstructionVoice, SpeaksDuringTheDemonstration)
{
    ASSERT_TRUE(voice().opened) << voice().error;
    EXPECT_GE(SpokenShare(14.45, 15.85), 0.6);
}

TEST_F(InstructionVoice, PausesJustBeforeAndAfterTheDemonstration)
{
    ASSERT_TRUE(voice().opened) << voice().error;
    // Silence on both sides sets the sentence apart from its neighbours.
    EXPECT_LE(PeakDb(voice(), 14.25, 14.39), -45.0);
    EXPECT_LE(PeakDb(voice(), 15.91, 16.10), -45.0);
}

TEST_F(InstructionVoice, ExplainsBeforeAndSumsUpAfter)
{
    ASSERT_TRUE(voice().opened) << voice().error;
    EXPECT_GE(SpokenShare(0.5, 14.0), 0.5);
    EXPECT_GE(SpokenShare(16.5, 22.5), 0.5);
}

} // namespace
