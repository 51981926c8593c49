// The view of buttons: a texture view with one texture name per state.
//
// States: 0 normal, 1 disabled, 3 mouse over, 4 mouse over with a button
// pressed (2 is never used). The names hold no texture reference; the
// texture of a state is loaded when the state is shown.
#pragma once

#include "framework/views/IMTextureView.h"

#include <map>
#include <string>

class IMStateView : public IMTextureView {
public:
    enum State { StateNormal = 0, StateDisabled = 1, StateMouseOver = 3, StatePressed = 4 };

    IMStateView();

    // Names the textures of states 0, 1, 3 and 4; an empty name for
    // disabled, hover or pressed stands for the normal one. Then shows the
    // texture of the current state.
    void SetStateTextures(const std::wstring& normal, const std::wstring& disabled,
                          const std::wstring& hover, const std::wstring& pressed);

    // Shows the texture named for the state and stores it, when it differs
    // from the current one. A state without a name keeps the texture shown.
    void ShowState(int newState);

    int GetState() const { return state; }
    // The name stored for a state; empty when there is none.
    std::wstring GetStateTexture(int code) const;

protected:
    int state;
    std::map<int, std::wstring> stateTextures;
};
