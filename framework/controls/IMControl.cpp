#include "framework/controls/IMControl.h"

#include "framework/controls/IMDialogBase.h"
#include "platform/user32.h"

namespace {

// Identifiers of controls: the first control of the process gets 0.
int nextControlId = 0;

bool IsButtonRelease(const IMMouseEvent& e, int* clickCode)
{
    if (e.IsMessage(WM_LBUTTONUP)) {
        *clickCode = IMEVENT_LCLICK;
        return true;
    }
    if (e.IsMessage(WM_RBUTTONUP)) {
        *clickCode = IMEVENT_RCLICK;
        return true;
    }
    if (e.IsMessage(WM_MBUTTONUP)) {
        *clickCode = IMEVENT_MCLICK;
        return true;
    }
    return false;
}

// Left, right and middle button bits of a mouse message's wParam.
const DWORD kButtonBits = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

} // namespace

bool IMControl::clockDriven = false;

IMControl::IMControl(Container* parent, int depth)
    : parent(parent),
      mouseOver(false),
      buttonDown(false),
      enabled(true),
      hidden(false),
      focused(false),
      locked(false),
      focusable(false),
      id(nextControlId++)
{
    if (parent)
        parent->AddChild(this, depth);
}

IMControl::~IMControl() = default;

long IMControl::Reserved1()
{
    return 0;
}

long IMControl::SetFocus(bool focus)
{
    if (!focusable || focus == focused)
        return 0;
    if (focus)
        return OnFocus(IMEvent(this, IMEVENT_FOCUS));
    return OnFocusLost(IMEvent(this, IMEVENT_FOCUSLOST));
}

long IMControl::Disable()
{
    EmitSignal(Disabled, IMEvent(this, IMEVENT_GENERIC));
    enabled = false;
    return 0;
}

long IMControl::Enable()
{
    EmitSignal(Enabled, IMEvent(this, IMEVENT_GENERIC));
    enabled = true;
    return 0;
}

long IMControl::Hide()
{
    EmitSignal(Hidden, IMEvent(this, IMEVENT_GENERIC));
    hidden = true;
    return 0;
}

long IMControl::Show()
{
    EmitSignal(Shown, IMEvent(this, IMEVENT_GENERIC));
    hidden = false;
    return 0;
}

long IMControl::Close()
{
    const IMEvent e(this, IMEVENT_CLOSE);
    EmitSignal(Closing, e);
    return OnClose(e);
}

long IMControl::SetDirty(bool dirty)
{
    if (!dirty)
        return 0;
    EmitSignal(Changed, IMEvent(this, IMEVENT_GENERIC));
    if (parent)
        parent->UpdateHoveredChild(parent->LastMouseMoveEvent(this));
    return 0;
}

bool IMControl::IsFocusable() const
{
    return focusable;
}

void IMControl::SetFocusable(bool f)
{
    focusable = f;
}

bool IMControl::IsEnabled() const
{
    return enabled;
}

bool IMControl::IsHidden() const
{
    return hidden;
}

bool IMControl::IsMouseOver() const
{
    return mouseOver;
}

bool IMControl::IsMouseButtonDown() const
{
    return buttonDown;
}

bool IMControl::IsLocked() const
{
    return locked;
}

bool IMControl::IsFocused() const
{
    return focused;
}

long IMControl::OnMouseMove(const IMMouseEvent& e)
{
    EmitSignal(MouseMoved, IMMouseEvent(this, e.code, e.wParam, e.x, e.y));
    return 0;
}

// A click is a release that reaches the control after a button message that
// found a button held on the same control.
long IMControl::OnMouseButton(const IMMouseEvent& e)
{
    int clickCode = 0;
    if (buttonDown && IsButtonRelease(e, &clickCode) && enabled)
        EmitSignal(Clicked, IMMouseEvent(this, clickCode, e.wParam, e.x, e.y));

    if (e.code == WM_MOUSEWHEEL) {
        const DWORD keys = e.wParam & 0xFFFF;
        buttonDown = keys == MK_LBUTTON || keys == MK_RBUTTON || keys == MK_MBUTTON;
    } else {
        buttonDown = (e.wParam & kButtonBits) != 0;
    }

    const IMMouseEvent own(this, e.code, e.wParam, e.x, e.y);
    if (enabled)
        EmitSignal(MouseButton, own);
    if (own.IsMessage(WM_LBUTTONDBLCLK) && enabled)
        EmitSignal(DoubleClicked, own);
    return 0;
}

long IMControl::OnClick(const IMMouseEvent& e)
{
    const IMMouseEvent copy(e);
    EmitSignal(Clicked, copy);
    return 0;
}

long IMControl::OnMouseEnter(const IMMouseEvent& e)
{
    mouseOver = true;
    EmitSignal(MouseEntered, IMMouseEvent(this, e.code, e.wParam, e.x, e.y));
    return 0;
}

long IMControl::OnMouseLeave(const IMMouseEvent& e)
{
    mouseOver = false;
    EmitSignal(MouseLeft, IMMouseEvent(this, e.code, e.wParam, e.x, e.y));
    return 0;
}

long IMControl::OnKey(const IMKeyboardEvent& e)
{
    const IMKeyboardEvent own(this, e.code, e.wParam, e.lParam);
    if (own.IsMessage(WM_KEYDOWN) || own.IsMessage(WM_SYSKEYDOWN))
        EmitSignal(KeyDown, own);
    if (own.IsMessage(WM_KEYUP) || own.IsMessage(WM_SYSKEYUP))
        EmitSignal(KeyUp, own);
    EmitSignal(KeyMessage, own);
    return 0;
}

long IMControl::OnPaint(const IMEvent&)
{
    Draw();
    SetDirty(false);
    EmitSignal(Painted, IMEvent(this, IMEVENT_PAINT));
    return 0;
}

long IMControl::OnUpdate(const IMEvent&)
{
    Update();
    EmitSignal(Updated, IMEvent(this, IMEVENT_UPDATE));
    return 0;
}

long IMControl::OnClose(const IMEvent&)
{
    return Destroy();
}

long IMControl::OnFocus(const IMEvent&)
{
    if (!focusable)
        return 0;
    focused = true;
    EmitSignal(FocusGained, IMEvent(this, IMEVENT_FOCUS));
    return 0;
}

long IMControl::OnFocusLost(const IMEvent&)
{
    if (!focusable)
        return 0;
    focused = false;
    EmitSignal(FocusLost, IMEvent(this, IMEVENT_FOCUSLOST));
    return 0;
}

long IMControl::Destroy()
{
    Painted.disconnect_all_slots();
    Closing.disconnect_all_slots();
    Updated.disconnect_all_slots();
    Disabled.disconnect_all_slots();
    Enabled.disconnect_all_slots();
    Hidden.disconnect_all_slots();
    Shown.disconnect_all_slots();
    MouseMoved.disconnect_all_slots();
    MouseButton.disconnect_all_slots();
    Clicked.disconnect_all_slots();
    MouseEntered.disconnect_all_slots();
    MouseLeft.disconnect_all_slots();
    DoubleClicked.disconnect_all_slots();
    KeyMessage.disconnect_all_slots();
    KeyDown.disconnect_all_slots();
    KeyUp.disconnect_all_slots();
    Changed.disconnect_all_slots();
    // The focus signals keep their slots: the parent's focus bookkeeping is
    // connected there until the control is deleted.
    if (parent)
        parent->RemoveChild(this);
    return 0;
}

long IMControl::Update()
{
    return 0;
}
