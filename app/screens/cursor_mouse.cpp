#include "app/screens/cursor_mouse.h"

#include "framework/controls/IMAnimationBase.h"
#include "framework/render/IMResourceManager.h"
#include "framework/views/IMSequenceView.h"
#include "framework/window/IMGlide.h"
#include "platform/kernel32_resource.h"

#include <boost/bind/bind.hpp>

#include <algorithm>

namespace screens {

namespace {

// Registered in this order; five of them are never shown.
const char* const kTextureNames[] = {"MOUSE_M",     "MOUSE_MB", "MOUSE_MB_PR", "MOUSE_MB_R1",
                                     "MOUSE_MB_R2", "MOUSE_ML", "MOUSE_MR",    "CURSOR"};

std::wstring Wide(const char* name)
{
    return std::wstring(name, name + std::char_traits<char>::length(name));
}

typedef IMAnimationBase<IMSequenceView> ClickAnimation;

} // namespace

CursorMouse::CursorMouse(Dialog* dialog)
    : mouse(nullptr),
      pointer(nullptr),
      clickSound(0),
      dialog(dialog),
      offsetX(10),
      offsetY(10),
      clickCount(0)
{
    IMResourceManager* manager = IMResourceManager::Instance();
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (manager && platform::FindEmbeddedBlob("MOUSE_CLICK_SOUND", &data, &size))
        clickSound =
            manager->AddSoundFromMemory(L"MOUSE_CLICK_SOUND", data, static_cast<unsigned>(size));
    if (manager) {
        for (const char* name : kTextureNames) {
            if (!platform::FindEmbeddedBlob(name, &data, &size))
                continue;
            const int id =
                manager->CreateTextureFromMemory(Wide(name), data, static_cast<unsigned>(size));
            if (id != manager->SlotCount())
                textures.push_back(id);
        }
    }
    mouse = Picture::Create(dialog, offsetX, offsetY, L"MOUSE_M", kDepth, 0xFFFFFFFF);
    pointer = Picture::Create(dialog, 0, 0, L"CURSOR", kDepth, 0xFFFFFFFF);
}

void CursorMouse::GlideIn()
{
    GlideTo(static_cast<float>(kStartX), static_cast<float>(kStartY), kTargetX, kTargetY, pointer);
    GlideTo(static_cast<float>(offsetX + kStartX), static_cast<float>(offsetY + kStartY),
            offsetX + kTargetX, offsetY + kTargetY, mouse);
}

void CursorMouse::Click()
{
    using boost::placeholders::_1;
    if (!mouse)
        return;
    ClickAnimation* click = new ClickAnimation(dialog, dialog->FindChildDepth(mouse) + 1);
    POINT at{0, 0};
    mouse->GetPosition(&at);
    click->SetRect(RECT{at.x, at.y, at.x + 46, at.y + 79});
    const std::vector<int> soundAt{0};
    clickCount = 0;
    click->AddFrame(L"MOUSE_ML");
    click->AddFrame(L"MOUSE_M");
    click->SetFirstFrame(0);
    click->SetLastFrame(1);
    click->period = kClickPeriod;
    click->ConnectFinished(boost::bind(&IMControl::Close, click));
    click->ConnectFrameChanged(boost::bind(&CursorMouse::OnClickFrame, this, soundAt));
    click->Play();
}

long CursorMouse::OnClickFrame(std::vector<int> soundAt)
{
    if (std::find(soundAt.begin(), soundAt.end(), clickCount) != soundAt.end()) {
        if (IMResourceManager* manager = IMResourceManager::Instance()) {
            if (manager->IsPlaying(clickSound))
                manager->Stop(clickSound);
            manager->Play(clickSound);
        }
    }
    ++clickCount;
    return 0;
}

void CursorMouse::Release()
{
    if (IMResourceManager* manager = IMResourceManager::Instance())
        for (int id : textures)
            manager->ReleaseTexture(id);
    textures.clear();
    if (mouse)
        mouse->Close();
    if (pointer)
        pointer->Close();
}

} // namespace screens
