// The sound system's window messages as the window procedure sees them:
// their registration, messages that name no sound, and numbers whose
// registration failed.
#include "sound_fixture.h"

#include "platform/user32.h"

#include <set>

using namespace soundtesting;
using namespace std::chrono_literals;

TEST_F(SoundTest, FourDistinctMessagesAreRegistered)
{
    const std::set<UINT> numbers{Sound().PlayMessage(), Sound().PauseMessage(),
                                 Sound().StopMessage(), Sound().LabelMessage()};
    EXPECT_EQ(numbers.size(), 4u);
    EXPECT_EQ(numbers.count(0), 0u);
    EXPECT_EQ(Sound().PlayMessage(), RegisterWindowMessageW(L"WM_IM_ONSOUNDPLAY"));
    EXPECT_EQ(Sound().PauseMessage(), RegisterWindowMessageW(L"WM_IM_ONSOUNDPOUSE"));
    EXPECT_EQ(Sound().StopMessage(), RegisterWindowMessageW(L"WM_IM_ONSOUNDSTOP"));
    EXPECT_EQ(Sound().LabelMessage(), RegisterWindowMessageW(L"WM_IM_ONLABEL"));
    EXPECT_EQ(Sound().MessageWindow(), window->hwnd);
}

TEST_F(SoundTest, MessagesThatNameNoSoundAreIgnored)
{
    const unsigned long id = AddFromMemory(L"one", ToneSound(1, 22050, 100));
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());
    Sound().AddLabel(id, 5, n.LabelSlot());
    for (WPARAM wParam : {WPARAM(0), WPARAM(id + 1), WPARAM(0xFFFFFFFFu)}) {
        window->Post(Sound().PlayMessage(), wParam, 0);
        window->Post(Sound().PauseMessage(), wParam, 0);
        window->Post(Sound().StopMessage(), wParam, 0);
        window->Post(Sound().LabelMessage(), wParam, 5);
    }
    window->Pump(3);
    EXPECT_TRUE(n.events.empty());

    // The same messages for the sound reach its slots.
    window->Post(Sound().PauseMessage(), WPARAM(id), 0);
    window->Post(Sound().LabelMessage(), WPARAM(id), 5);
    window->Pump(2);
    EXPECT_EQ(n.events, (std::vector<std::string>{"end 1", "label 1 5"}));
}

namespace {

// Registration that fails from the given name on.
class SoundMessageRegistration : public SoundTest {
protected:
    void SetUp() override
    {
        CSoundSystem::SetMessageRegistration([](LPCWSTR name) -> UINT {
            seen.push_back(name);
            return std::wstring(name) == L"WM_IM_ONLABEL" ? 0 : RegisterWindowMessageW(name);
        });
        SoundTest::SetUp();
    }
    void TearDown() override
    {
        SoundTest::TearDown();
        CSoundSystem::SetMessageRegistration(nullptr);
        seen.clear();
    }
    static std::vector<std::wstring> seen;
};

std::vector<std::wstring> SoundMessageRegistration::seen;

} // namespace

TEST_F(SoundMessageRegistration, NumbersLeftUnregisteredMatchNoMessage)
{
    // The remaining registrations are skipped.
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"WM_IM_ONSOUNDPLAY", L"WM_IM_ONLABEL"}));
    EXPECT_NE(Sound().PlayMessage(), 0u);
    EXPECT_EQ(Sound().LabelMessage(), 0u);
    EXPECT_EQ(Sound().StopMessage(), 0u);
    EXPECT_EQ(Sound().PauseMessage(), 0u);

    const unsigned long id = AddFromMemory(L"one", ToneSound(1, 22050, 100));
    Notifications n;
    Sound().SetOnStop(id, n.EndSlot());
    Sound().AddLabel(id, 0, n.LabelSlot());
    // WM_NULL with the sound's identifier is no end and no label.
    window->Post(WM_NULL, WPARAM(id), 0);
    window->Pump(2);
    EXPECT_TRUE(n.events.empty());

    // The sound still plays; its end can no longer be told.
    ASSERT_TRUE(Sound().Play(id));
    PumpUntil([&] { return !Sound().IsPlaying(id); }, 3s);
    EXPECT_FALSE(Sound().IsPlaying(id));
    PumpFor(50ms);
    EXPECT_TRUE(n.events.empty());
}
