// The software render device the picture fuzzers decode into: made once,
// with a small back buffer and no window.
#pragma once

#include "platform/d3d9.h"

#include <cstdlib>

namespace fuzzfeed {

inline IDirect3DDevice9* PictureDevice()
{
    static IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    static IDirect3DDevice9* device = [] {
        D3DPRESENT_PARAMETERS parameters{};
        parameters.BackBufferWidth = 16;
        parameters.BackBufferHeight = 16;
        parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
        parameters.BackBufferCount = 1;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = FALSE;
        IDirect3DDevice9* made = nullptr;
        if (!direct3d ||
            FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                          D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &made)))
            std::abort();
        return made;
    }();
    return device;
}

} // namespace fuzzfeed
