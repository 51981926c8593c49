// The resource manager started on the software device (no window), with
// helpers to make textures of known pixels, draw quads into the back buffer
// and read it back.
#pragma once

#include "framework/render/IMResourceManager.h"
#include "platform/d3d9.h"
#include "platform/kernel32.h"
#include "platform/kernel32_resource.h"
#include "support/device_faults.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// round(a × b / 255), the device's per-channel product.
inline uint32_t Mul255(uint32_t a, uint32_t b)
{
    return (a * b + 127) / 255;
}

inline uint32_t Channel(uint32_t c, int i)
{
    return (c >> (8 * i)) & 0xFF;
}

class RenderTest : public ::testing::Test {
protected:
    RenderTest()
    {
        IMResourceManager::Start(false);
        manager = IMResourceManager::Instance();
    }
    ~RenderTest() override
    {
        IMResourceManager::Shutdown();
        platform::SetDebugOutputSink(nullptr);
    }

    // Registers a w × h texture of the format whose pixel (x, y) is pixel(x, y).
    int MakeTexture(const std::wstring& name, int w, int h,
                    const std::function<uint32_t(int, int)>& pixel,
                    D3DFORMAT format = D3DFMT_A8R8G8B8)
    {
        const int id = manager->CreateEmptyTexture(name, w, h, format);
        manager->FillTexture(id, [w, h, pixel](unsigned char* bits, int pitch, int) {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    *reinterpret_cast<uint32_t*>(bits + y * pitch + x * 4) = pixel(x, y);
        });
        return id;
    }

    int MakeSolid(const std::wstring& name, int w, int h, uint32_t argb)
    {
        return MakeTexture(name, w, h, [argb](int, int) { return argb; });
    }

    // Clears the back buffer, runs the drawing inside a scene, reads back.
    platform::d3d9test::Frame Draw(const std::function<void()>& draw,
                                   uint32_t background = 0xFF000000)
    {
        IDirect3DDevice9* device = manager->Device();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
        device->BeginScene();
        draw();
        device->EndScene();
        return platform::d3d9test::ReadBackBuffer(device);
    }

    // The smallest rectangle holding every pixel that differs from `background`.
    static RECT Covered(const platform::d3d9test::Frame& frame, uint32_t background = 0xFF000000)
    {
        RECT r{frame.width, frame.height, 0, 0};
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x)
                if (frame.At(x, y) != background) {
                    r.left = std::min<LONG>(r.left, x);
                    r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x + 1);
                    r.bottom = std::max<LONG>(r.bottom, y + 1);
                }
        return r;
    }

    // Debug lines written from now on.
    std::vector<std::wstring>& CaptureDebugLines()
    {
        platform::SetDebugOutputSink(
            [this](const std::wstring& line) { debugLines.push_back(line); });
        return debugLines;
    }

    DeviceFaults faults;
    IMResourceManager* manager = nullptr;
    std::vector<std::wstring> debugLines;
};

inline void ExpectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom)
{
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

} // namespace testing_support
