#include "framework/views/IMTextureView.h"

#include "framework/render/IMResourceManager.h"
#include "framework/views/IMRectUtil.h"

#include <cmath>
#include <cstdint>

IMTextureView::IMTextureView()
    : colour(0xFFFFFFFF),
      angle(0.0f),
      hitThreshold(255),
      textureId(0),
      hasTexture(false)
{}

IMTextureView::~IMTextureView()
{
    if (hasTexture) {
        if (IMResourceManager* manager = IMResourceManager::Instance())
            manager->ReleaseTexture(textureId);
    }
}

void IMTextureView::SetTexture(const std::wstring& name)
{
    IMResourceManager* manager = IMResourceManager::Instance();
    if (!manager)
        return;
    const int id = manager->LoadTexture(name);
    if (!manager->GetTextureRecord(id)) {
        ShowNothing();
        return;
    }
    if (hasTexture && id == textureId) {
        manager->ReleaseTexture(id);
        return;
    }
    Show(id);
}

void IMTextureView::SetTextureById(int id)
{
    IMResourceManager* manager = IMResourceManager::Instance();
    if (!manager || (hasTexture && id == textureId))
        return;
    if (manager->AddRef(id) != id || !manager->GetTextureRecord(id)) {
        ShowNothing();
        return;
    }
    Show(id);
}

void IMTextureView::Show(int id)
{
    IMResourceManager* manager = IMResourceManager::Instance();
    const int previous = textureId;
    const bool had = hasTexture;
    textureId = id;
    hasTexture = true;
    if (had)
        manager->ReleaseTexture(previous);
    SetSourceRect(manager->GetTextureRecord(id)->imageRect);
    SetDirty(true);
}

void IMTextureView::ShowNothing()
{
    if (!hasTexture)
        return;
    hasTexture = false;
    if (IMResourceManager* manager = IMResourceManager::Instance())
        manager->ReleaseTexture(textureId);
    SetSourceRect(RECT{0, 0, 0, 0});
    SetDirty(true);
}

long IMTextureView::Draw()
{
    if (hasTexture) {
        if (IMResourceManager* manager = IMResourceManager::Instance()) {
            RECT destination;
            GetRect(&destination);
            manager->DrawQuad(textureId, destination, &sourceRect, colour, angle);
        }
    }
    dirty = false;
    return 0;
}

bool IMTextureView::HitTest(const POINT& p)
{
    RECT r;
    GetRect(&r);
    const RECT& q = sourceRect;

    // Turn the point back by the view's rotation about the rectangle's centre.
    const float cx = static_cast<float>(r.left + (r.right - r.left) / 2);
    const float cy = static_cast<float>(r.top + (r.bottom - r.top) / 2);
    const float b = -angle;
    const float dx = static_cast<float>(p.x) - cx;
    const float dy = static_cast<float>(p.y) - cy;
    const float xf = cx + std::cos(b) * dx - std::sin(b) * dy;
    const float yf = cy + std::sin(b) * dx + std::cos(b) * dy;
    if (!std::isfinite(xf) || !std::isfinite(yf) || std::fabs(xf) > 2e9f || std::fabs(yf) > 2e9f)
        return false;
    const int x = static_cast<int>(xf);
    const int y = static_cast<int>(yf);
    if (!imrect::Contains(r, x, y))
        return false;

    // Into the source rectangle, multiplying before dividing (in 64 bits, so
    // a large stretch cannot overflow).
    const int u = static_cast<int>(q.left + static_cast<int64_t>(q.right - q.left) * (x - r.left) /
                                                (r.right - r.left));
    const int v = static_cast<int>(q.top + static_cast<int64_t>(q.bottom - q.top) * (y - r.top) /
                                               (r.bottom - r.top));
    if (!imrect::Contains(q, u, v) || !hasTexture)
        return false;

    IMResourceManager* manager = IMResourceManager::Instance();
    if (!manager)
        return false;
    manager->RestoreTexture(textureId);
    uint32_t texel = 0;
    if (!manager->CopiedTexel(textureId, u, v, &texel))
        return false;
    const int pixelAlpha = static_cast<int>(texel >> 24);
    const int colourAlpha = static_cast<int>(colour >> 24);
    return pixelAlpha * colourAlpha / 255 >= hitThreshold;
}
