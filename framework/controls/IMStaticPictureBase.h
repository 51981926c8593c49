// The static kinds: the picture (a texture view) and the text label (a text
// view). Each kind is a specialisation of IMStaticPictureBase<V>; the text
// label, IMStaticPictureBase<IMTextView>, is declared with the text view,
// in a header of its own that includes this one.
#pragma once

#include "framework/controls/IMViewControl.h"
#include "framework/views/IMTextureView.h"

#include <string>

template <class V>
class IMStaticPictureBase;

// A picture: it shows a texture, tinted by the view's colour, and is hit
// only where the texture is opaque enough.
template <>
class IMStaticPictureBase<IMTextureView> : public IMViewControl<IMTextureView> {
public:
    IMStaticPictureBase(Container* parent, int depth) : IMViewControl<IMTextureView>(parent, depth)
    {}

    // A picture at (x, y) of the texture's image size, tinted by the colour
    // (ARGB). Null when it cannot be allocated.
    static IMStaticPictureBase* Create(Container* parent, int x, int y, const std::wstring& name,
                                       int depth, DWORD colour);

    // Shows the texture and takes its image size, with the top-left corner
    // at (0, 0) until the picture is positioned.
    void SetTexture(const std::wstring& name);
};
