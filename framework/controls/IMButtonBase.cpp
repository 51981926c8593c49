#include "framework/controls/IMButtonBase.h"

#include <boost/bind/bind.hpp>

#include <new>

IMButtonBase<IMStateView>::IMButtonBase(Container* parent, int depth)
    : IMViewControl<IMStateView>(parent, depth)
{
    using namespace boost::placeholders;
    // Bound to the button itself: the connections end with it.
    MouseButton.connect(boost::bind(&IMButtonBase::SelectState, this));
    MouseEntered.connect(boost::bind(&IMButtonBase::SelectState, this));
    MouseLeft.connect(boost::bind(&IMButtonBase::SelectState, this));
    Disabled.connect(boost::bind(&IMButtonBase::SelectState, this));
    Enabled.connect(boost::bind(&IMButtonBase::SelectState, this));
    Hidden.connect(boost::bind(&IMButtonBase::SelectState, this));
    Shown.connect(boost::bind(&IMButtonBase::SelectState, this));
}

IMButtonBase<IMStateView>* IMButtonBase<IMStateView>::Create(Container* parent, int x, int y,
                                                             const std::wstring& normal,
                                                             const std::wstring& disabled,
                                                             const std::wstring& hover,
                                                             const std::wstring& pressed, int depth)
{
    IMButtonBase* button = new (std::nothrow) IMButtonBase(parent, depth);
    if (!button)
        return nullptr;
    button->SetTextures(normal, disabled, hover, pressed);
    button->SetPosition(x, y);
    return button;
}

void IMButtonBase<IMStateView>::SetTextures(const std::wstring& normal,
                                            const std::wstring& disabled, const std::wstring& hover,
                                            const std::wstring& pressed)
{
    SetStateTextures(normal, disabled, hover, pressed);
    SetRect(sourceRect);
}

long IMButtonBase<IMStateView>::Disable()
{
    IMViewControl<IMStateView>::Disable();
    SelectState();
    return 0;
}

long IMButtonBase<IMStateView>::Enable()
{
    IMViewControl<IMStateView>::Enable();
    SelectState();
    return 0;
}

long IMButtonBase<IMStateView>::SelectState()
{
    if (IsHidden())
        return 0;
    int next = IMStateView::StateNormal;
    if (!IsEnabled())
        next = IMStateView::StateDisabled;
    else if (IsMouseOver())
        next = IsMouseButtonDown() ? IMStateView::StatePressed : IMStateView::StateMouseOver;
    ShowState(next);
    return 0;
}
