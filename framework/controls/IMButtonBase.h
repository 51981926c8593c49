// The button: a control with a state view whose texture follows the
// pointer, the mouse buttons and the enabled flag.
//
// The button's own MouseButton, MouseEntered, MouseLeft, Disabled, Enabled,
// Hidden and Shown signals call SelectState, which picks the state: 1 when
// disabled, else 3 while the pointer is over it (4 with a mouse button
// held), else 0. A hidden button keeps the state it had.
#pragma once

#include "framework/controls/IMViewControl.h"
#include "framework/views/IMStateView.h"

#include <string>

template <class V>
class IMButtonBase;

template <>
class IMButtonBase<IMStateView> : public IMViewControl<IMStateView> {
public:
    IMButtonBase(Container* parent, int depth);

    // A button at (x, y) with the textures of its four states (normal,
    // disabled, hover, pressed; an empty name stands for the normal one),
    // the size of the normal image. Null when it cannot be allocated.
    static IMButtonBase* Create(Container* parent, int x, int y, const std::wstring& normal,
                                const std::wstring& disabled, const std::wstring& hover,
                                const std::wstring& pressed, int depth);

    // Names the state textures and takes the size of the shown image, with
    // the top-left corner at (0, 0) until the button is positioned.
    void SetTextures(const std::wstring& normal, const std::wstring& disabled,
                     const std::wstring& hover, const std::wstring& pressed);

    long Disable() override;
    long Enable() override;
    virtual long SelectState();
};
