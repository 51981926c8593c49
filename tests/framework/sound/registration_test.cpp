// Registering sounds: identifiers, names registered again, the ways a sound
// is opened (memory, numbered resources, files) and what an identifier that
// names no sound does.
#include "sound_fixture.h"

#include "platform/codepage.h"
#include "platform/kernel32_resource.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

using namespace soundtesting;
using namespace std::chrono_literals;

TEST_F(SoundTest, IdentifiersStartAtOneAndFollowEachOther)
{
    const std::vector<unsigned char> ogg = ToneSound(1, 22050, 100);
    EXPECT_EQ(AddFromMemory(L"first", ogg), 1u);
    EXPECT_EQ(AddFromMemory(L"second", ogg), 2u);
    // Names are compared exactly.
    EXPECT_EQ(AddFromMemory(L"First", ogg), 3u);
}

TEST_F(SoundTest, DataThatIsNoOggVorbisRegistersNothing)
{
    const unsigned char junk[64] = {'O', 'g', 'g', 'S', 1, 2, 3};
    EXPECT_EQ(Sound().AddSoundFromMemory(L"junk", junk, sizeof junk), 0u);
    EXPECT_EQ(Sound().AddSoundFromMemory(L"empty", junk, 0), 0u);
    EXPECT_EQ(Sound().AddSoundFromMemory(L"null", nullptr, 100), 0u);
    // A failed registration uses up no identifier.
    EXPECT_EQ(AddFromMemory(L"good", ToneSound(1, 22050, 100)), 1u);
}

TEST_F(SoundTest, NameRegisteredAgainKeepsItsIdentifierAndLabelsButDropsItsEndSlots)
{
    const unsigned long id = AddFromMemory(L"again", ToneSound(2, 44100, 100));
    ASSERT_NE(id, 0u);
    Notifications old, renewed;
    Sound().SetOnStop(id, old.EndSlot());
    Sound().AddLabel(id, 50, old.LabelSlot());

    // The data given the second time is not even looked at.
    const unsigned char junk[16] = {};
    EXPECT_EQ(Sound().AddSoundFromMemory(L"again", junk, sizeof junk), id);
    Sound().SetOnStop(id, renewed.EndSlot());

    ASSERT_TRUE(Sound().Play(id));
    ASSERT_TRUE(PumpUntil([&] { return renewed.ends == 1; }, 3s));
    EXPECT_EQ(old.ends, 0);
    // The label armed before the second registration still fires.
    EXPECT_EQ(old.Count("label " + std::to_string(id) + " 50"), 1);
}

TEST_F(SoundTest, IdentifierThatNamesNoSoundDoesNothing)
{
    Notifications n;
    for (unsigned long id : {0ul, 1ul, 77ul}) {
        EXPECT_FALSE(Sound().Play(id));
        EXPECT_FALSE(Sound().Stop(id));
        EXPECT_FALSE(Sound().IsPlaying(id));
        EXPECT_FALSE(Sound().SetOnStop(id, n.EndSlot()).connected());
        Sound().AddLabel(id, 10, n.LabelSlot());
        Sound().OnLabelMessage(id, 10);
    }
    PumpFor(50ms);
    EXPECT_TRUE(n.events.empty());
}

TEST_F(SoundTest, NumberedResourceComesFromTheExecutableElseTheSideFile)
{
    static const std::vector<unsigned char> ogg = ToneSound(1, 44100, 100);
    platform::RegisterExecutableResource(4001, ogg.data(), ogg.size());
    const unsigned long id = Sound().AddSoundFromResource(L"4001");
    ASSERT_NE(id, 0u);
    EXPECT_EQ(Sound().AddSoundFromResource(L"4001"), id);
    // The name is what is compared, not the number it stands for.
    EXPECT_NE(Sound().AddSoundFromResource(L"04001"), id);

    EXPECT_EQ(Sound().AddSoundFromResource(L"4999"), 0u);
    // The side file holds a picture under this number, which is no sound.
    EXPECT_EQ(Sound().AddSoundFromResource(L"110"), 0u);
}

TEST_F(SoundTest, NameThatIsNoNumberIsAFilePath)
{
    // Digits then a letter: a path, and no such file exists.
    EXPECT_EQ(Sound().AddSoundFromResource(L"107a"), 0u);
    EXPECT_EQ(Sound().AddSoundFromResource(L" 107"), 0u);
    EXPECT_EQ(Sound().AddSoundFromResource(L""), 0u);

    const std::vector<unsigned char> ogg = ToneSound(2, 44100, 200);
    const std::string path = "sound_test_" + std::to_string(getpid()) + "_звук.ogg";
    {
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(ogg.data()), std::streamsize(ogg.size()));
    }
    const unsigned long id = Sound().AddSoundFromResource(platform::Utf8ToWide(path));
    std::remove(path.c_str()); // the open file stays readable
    ASSERT_NE(id, 0u);
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());
    ASSERT_TRUE(Sound().Play(id));
    EXPECT_TRUE(PumpUntil([&] { return n.ends == 1; }, 3s));
}
