#include "app/screens/keyboard_page.h"

#include "framework/render/IMResourceManager.h"
#include "framework/window/IMGlide.h"
#include "framework/window/IMWindow.h"
#include "platform/kernel32_resource.h"
#include "platform/user32.h"

#include <boost/bind/bind.hpp>

namespace screens {

namespace {

typedef IMStaticPictureBase<IMTextureView> Picture;

struct PagePicture {
    const char* name;
    int x;
    int y;
};

// The space bar lies over the keyboard's own.
const PagePicture kPictures[] = {
    {"KEYBOARDPIC", 107, 347}, {"MOUSE", 500, 209}, {"KEYSPACE", 237, 502}};

void ArmBlink(IMWindow* window, Picture* picture, IMDialogBase<IMEmptyView>* dialog)
{
    const int id = window->AddTimer(kBlinkPeriod);
    ConnectChainTimer(window, id, boost::bind(&BlinkPicture, id, picture, dialog));
}

} // namespace

long StopSoundSlot(unsigned long sound)
{
    if (IMResourceManager* manager = IMResourceManager::Instance())
        manager->Stop(sound);
    return 0;
}

long ShowKeyboardHelp(bool* modal, IMDialogBase<IMEmptyView>* dialog)
{
    using boost::placeholders::_1;
    IMResourceManager* manager = IMResourceManager::Instance();
    IMWindow* window = IMWindow::Instance();
    if (!manager || !window || !dialog)
        return 0;

    const unsigned char* data = nullptr;
    size_t size = 0;
    unsigned long voice = 0;
    if (platform::FindEmbeddedBlob("ENDHELPSOUND", &data, &size))
        voice = manager->AddSoundFromMemory(L"ENDHELPSOUND", data, static_cast<unsigned>(size));
    dialog->ConnectClosing(boost::bind(&StopSoundSlot, voice));
    manager->Play(voice);

    Picture* made[3] = {nullptr, nullptr, nullptr};
    for (int i = 0; i < 3; ++i) {
        const PagePicture& page = kPictures[i];
        const std::wstring name(page.name, page.name + std::char_traits<char>::length(page.name));
        int id = manager->SlotCount();
        if (platform::FindEmbeddedBlob(page.name, &data, &size))
            id = manager->CreateTextureFromMemory(name, data, static_cast<unsigned>(size));
        made[i] = Picture::Create(dialog, page.x, page.y, name, kKeyboardPageDepth, 0xFFFFFFFF);
        // The picture holds its own reference: the texture goes with it.
        if (id != manager->SlotCount())
            manager->ReleaseTexture(id);
    }

    if (made[2])
        ArmBlink(window, made[2], dialog);
    window->ConnectKeyDown(boost::bind(&OnKeyboardHelpKey, _1, dialog, modal));
    return 0;
}

long OnKeyboardHelpKey(const IMKeyboardEvent& e, IMDialogBase<IMEmptyView>* dialog, bool* modal)
{
    if (e.wParam != VK_SPACE)
        return 0;
    dialog->Close();
    *modal = false;
    return 0;
}

long BlinkPicture(int timerId, Picture* picture, IMDialogBase<IMEmptyView>* dialog)
{
    IMWindow* window = IMWindow::Instance();
    if (!window)
        return 0;
    window->RemoveTimer(timerId);
    if (dialog->IsLocked())
        return 0;
    if (picture->IsHidden())
        picture->Show();
    else
        picture->Hide();
    ArmBlink(window, picture, dialog);
    return 0;
}

} // namespace screens
