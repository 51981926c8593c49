// The text label: a control that shows an IMTextView and is hit anywhere in
// its rectangle.
#pragma once

#include "framework/controls/IMStaticPictureBase.h"
#include "framework/text/IMTextView.h"

#include <string>

template <>
class IMStaticPictureBase<IMTextView> : public IMViewControl<IMTextView> {
public:
    IMStaticPictureBase(Container* parent, int depth) : IMViewControl<IMTextView>(parent, depth) {}

    // A label at (x, y) showing the text, sized to the laid-out text. Null
    // when it cannot be allocated.
    static IMStaticPictureBase* Create(Container* parent, int x, int y, const std::wstring& text,
                                       int depth);
};

typedef IMStaticPictureBase<IMTextView> IMStaticText;
