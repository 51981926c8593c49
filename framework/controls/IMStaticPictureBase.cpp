#include "framework/controls/IMStaticPictureBase.h"

#include <new>

IMStaticPictureBase<IMTextureView>*
IMStaticPictureBase<IMTextureView>::Create(Container* parent, int x, int y,
                                           const std::wstring& name, int depth, DWORD colour)
{
    IMStaticPictureBase* picture = new (std::nothrow) IMStaticPictureBase(parent, depth);
    if (!picture)
        return nullptr;
    picture->SetTexture(name);
    picture->SetPosition(x, y);
    picture->colour = colour;
    picture->SetDirty(true);
    return picture;
}

void IMStaticPictureBase<IMTextureView>::SetTexture(const std::wstring& name)
{
    IMTextureView::SetTexture(name);
    SetRect(sourceRect);
}
