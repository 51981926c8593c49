// A window with the real software device and the skins registered, and
// helpers to make textures of known pixels, draw views straight into the
// back buffer and read the result.
#pragma once

#include "framework/render/IMResourceManager.h"
#include "framework/views/IMView.h"
#include "platform/d3d9.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace testing_support {

class TextureTest : public ::testing::Test {
protected:
    IMResourceManager& Manager() { return *IMResourceManager::Instance(); }

    // Registers an A8R8G8B8 texture of w × h whose pixel (x, y) is pixel(x, y).
    int MakeTexture(const std::wstring& name, int w, int h,
                    const std::function<uint32_t(int, int)>& pixel)
    {
        const int id = Manager().CreateEmptyTexture(name, w, h, D3DFMT_A8R8G8B8);
        Manager().FillTexture(id, [w, h, pixel](unsigned char* bits, int pitch, int) {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    *reinterpret_cast<uint32_t*>(bits + y * pitch + x * 4) = pixel(x, y);
        });
        return id;
    }

    // One colour all over.
    int MakeSolid(const std::wstring& name, int w, int h, uint32_t argb)
    {
        return MakeTexture(name, w, h, [argb](int, int) { return argb; });
    }

    int RefCount(int id)
    {
        const IMTextureRecord* record = Manager().GetTextureRecord(id);
        return record ? record->refCount : 0;
    }

    int RefCount(const std::wstring& name) { return RefCount(Manager().FindTexture(name)); }

    // Clears the back buffer to the colour, draws the views in order at the
    // screen origin and reads the back buffer back.
    platform::d3d9test::Frame DrawAlone(std::initializer_list<IMView*> views,
                                        uint32_t background = 0xFF000000)
    {
        IDirect3DDevice9* device = Manager().Device();
        const D3DVIEWPORT9 whole{0, 0, 800, 600, 0.0f, 1.0f};
        device->SetViewport(&whole);
        Manager().originX = 0;
        Manager().originY = 0;
        device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
        device->BeginScene();
        for (IMView* view : views)
            view->Draw();
        device->EndScene();
        return platform::d3d9test::ReadBackBuffer(device);
    }

    HeadlessWindow window;
};

} // namespace testing_support
