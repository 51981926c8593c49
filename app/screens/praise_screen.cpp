#include "app/screens/praise_screen.h"

#include "framework/controls/IMAnimationBase.h"
#include "framework/controls/IMStaticPictureBase.h"
#include "framework/render/IMResourceManager.h"
#include "framework/video/IMTheoraView.h"
#include "platform/crt.h"
#include "platform/kernel32_resource.h"

#include <boost/bind/bind.hpp>

#include <climits>
#include <stdexcept>

namespace screens {

const PraisePair kPraisePairs[kPraisePairCount] = {
    {L"bravo_sound", "bravo_sound", "bravo_video"},
    {L"gotovo_sound", "gotovo_sound", "gotovo_video"},
    {L"molodec_sound", "molodec_sound", "molodec_video"},
    {L"otlichno_sound", "otlichno_sound", "otlichno_video"},
    {L"ura_sound", "ura_sound", "ura_video"},
};

int DrawPraisePair(int randomValue)
{
    const int index = static_cast<int>(randomValue * 5.0 * 3.0517578125e-05);
    // Only a value outside rand()'s range could fall outside the table.
    return index < 0 ? 0 : index >= kPraisePairCount ? kPraisePairCount - 1 : index;
}

namespace {

typedef IMAnimationBase<IMTheoraView> VideoPlayer;
typedef IMStaticPictureBase<IMTextureView> Picture;

const wchar_t kCloud[] = L"oblako_png";
// The clip's place inside the cloud, from the cloud's corner, and its size.
const int kVideoLeft = 93;
const int kVideoTop = 76;
const int kVideoWidth = 320;
const int kVideoHeight = 200;
// The clips' own 12 frames per second.
const int kVideoPeriod = 5000;

bool FindBlob(const char* name, const unsigned char** data, unsigned* size)
{
    size_t bytes = 0;
    *data = nullptr;
    *size = 0;
    if (!platform::FindEmbeddedBlob(name, data, &bytes) || bytes > INT_MAX)
        return false;
    *size = static_cast<unsigned>(bytes);
    return true;
}

struct PraiseControls {
    Dialog* dialog;
    VideoPlayer* video;
    Picture* cloud;
};

// Steps 1 to 8 of either praise: the dialog, the clip's player, the cloud,
// the word (playing) and the clip (opened, placed, timed).
PraiseControls BuildPraise(Dialog* parent, int x, int y)
{
    PraiseControls c{new Dialog(parent, nullptr, 0), nullptr, nullptr};
    c.video = new VideoPlayer(c.dialog);

    IMResourceManager* manager = IMResourceManager::Instance();
    const unsigned char* data = nullptr;
    unsigned size = 0;
    if (manager && FindBlob("oblako_png", &data, &size))
        manager->CreateTextureFromMemory(kCloud, data, size);
    c.cloud = Picture::Create(c.dialog, x, y, kCloud, 0, 0xFFFFFFFF);
    // The cloud keeps the texture for as long as it lives.
    if (manager)
        manager->ReleaseTexture(manager->FindTexture(kCloud));

    const PraisePair& pair = kPraisePairs[DrawPraisePair(crt::rand())];
    if (manager && FindBlob(pair.soundBlob, &data, &size))
        manager->Play(manager->AddSoundFromMemory(pair.sound, data, size));

    FindBlob(pair.video, &data, &size);
    try {
        c.video->Open(data, static_cast<int>(size));
    } catch (const std::runtime_error&) {
        // A clip that cannot be played ends the praise after one frame
        // period, through the player's own end (the controls have joined
        // their containers by then); the word plays on regardless.
        c.video->SetFirstFrame(0);
        c.video->SetLastFrame(-1);
    }
    c.video->SetPosition(x + kVideoLeft, y + kVideoTop);
    c.video->period = kVideoPeriod;
    c.video->SetSize(kVideoWidth, kVideoHeight);
    return c;
}

} // namespace

long ShowPraise(Dialog* parent, Dialog* stepDialog, int x, int y)
{
    PraiseControls c = BuildPraise(parent, x, y);
    // Each closing ends with its dialog (or is never called once it is gone).
    c.video->ConnectFinished(boost::bind(&Dialog::Close, c.dialog));
    if (stepDialog)
        c.video->ConnectFinished(boost::bind(&Dialog::Close, stepDialog));
    c.video->Play();
    return 0;
}

long ShowPraiseWithExit(Dialog* parent, Dialog* target)
{
    PraiseControls c = BuildPraise(parent, 137, 100);
    c.video->ConnectFinished(boost::bind(&VideoPlayer::Close, c.video));
    if (c.cloud)
        c.video->ConnectFinished(boost::bind(&Picture::Close, c.cloud));
    c.video->Play();

    // The 21 x 21 skin, drawn as a 40 x 40 square.
    if (Picture* exit = Picture::Create(c.dialog, 770, 10, L"ExitButton", 901, 0xFFFFFFFF)) {
        exit->SetRect(RECT{740, 10, 780, 50});
        if (target)
            exit->ConnectClicked(boost::bind(&Dialog::Close, target));
    }
    return 0;
}

} // namespace screens
