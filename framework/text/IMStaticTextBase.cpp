#include "framework/text/IMStaticTextBase.h"

#include <new>

IMStaticPictureBase<IMTextView>* IMStaticPictureBase<IMTextView>::Create(Container* parent, int x,
                                                                         int y,
                                                                         const std::wstring& text,
                                                                         int depth)
{
    IMStaticPictureBase* label = new (std::nothrow) IMStaticPictureBase(parent, depth);
    if (!label)
        return nullptr;
    label->IMTextView::SetText(text);
    RECT extent;
    label->GetSourceRect(&extent);
    label->SetRect(extent);
    label->SetPosition(x, y);
    return label;
}
