#include "framework/views/IMStateView.h"

IMStateView::IMStateView() : state(StateNormal) {}

void IMStateView::SetStateTextures(const std::wstring& normal, const std::wstring& disabled,
                                   const std::wstring& hover, const std::wstring& pressed)
{
    stateTextures[StateNormal] = normal;
    stateTextures[StateDisabled] = disabled.empty() ? normal : disabled;
    stateTextures[StateMouseOver] = hover.empty() ? normal : hover;
    stateTextures[StatePressed] = pressed.empty() ? normal : pressed;
    SetTexture(stateTextures[state]);
}

void IMStateView::ShowState(int newState)
{
    if (newState == state)
        return;
    const auto named = stateTextures.find(newState);
    if (named != stateTextures.end())
        SetTexture(named->second);
    state = newState;
}

std::wstring IMStateView::GetStateTexture(int code) const
{
    const auto named = stateTextures.find(code);
    return named == stateTextures.end() ? std::wstring() : named->second;
}
