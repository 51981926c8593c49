// A view that shows (part of) a texture of the texture table, tinted by a
// colour and turned about its centre, and that is hit only where the
// texture's pixel is opaque enough.
//
// The view holds one reference to the texture it shows while hasTexture is
// set; identifier 0 is a real texture, so textureId alone never says
// whether there is one. A name that cannot be loaded leaves the view with
// no texture: it draws nothing and is never hit.
#pragma once

#include "framework/views/IMView.h"

#include <string>

class IMTextureView : public IMView {
public:
    IMTextureView();
    ~IMTextureView() override;

    // Shows the texture of the name (a skin, a resource number or a file
    // path); the source rectangle becomes the whole image.
    void SetTexture(const std::wstring& name);
    // Shows a texture already in the table.
    void SetTextureById(int id);

    long Draw() override;
    // The point (in the parent's coordinates) is turned back by the angle,
    // mapped into the source rectangle and tested against the pixel's alpha
    // scaled by the colour's: a hit when it reaches hitThreshold.
    bool HitTest(const POINT& p) override;

    bool HasTexture() const { return hasTexture; }
    int GetTextureId() const { return textureId; }

    // ARGB; multiplies the texture and scales its opacity (and the hit test's alpha).
    DWORD colour;
    // Radians, about the centre of the rectangle; clockwise on the screen.
    float angle;
    // The smallest effective alpha (0 to 255) that counts as a hit.
    int hitThreshold;

protected:
    // Takes over one reference to `id` (already counted by the caller),
    // releasing the texture shown before.
    void Show(int id);
    // Releases the texture shown, if any; the view then shows nothing.
    void ShowNothing();

    int textureId;
    bool hasTexture;
};
