// The base of every on-screen element: state flags, an identifier, the owning
// container, nineteen signals and the virtual operations that turn incoming
// events into signal emissions.
//
// Connections whose slot is a boost::bind expression naming a control are
// tracked: they end when that control is destroyed. Hand such an expression
// straight to a Connect operation; a bind stored first in a boost::function
// or a lambda is not tracked.
#pragma once

#include "framework/controls/IMEvent.h"
#include "framework/controls/IMSignal.h"
#include "platform/wintypes.h"

class IMEmptyView;
template <class V>
class IMDialogBase;

class IMControl : public boost::signals2::trackable {
public:
    typedef IMSignal<IMEvent> EventSignal;
    typedef IMSignal<IMMouseEvent> MouseSignal;
    typedef IMSignal<IMKeyboardEvent> KeySignal;
    typedef IMDialogBase<IMEmptyView> Container;

    // Joins the parent's pending children at the given depth when a parent is given.
    IMControl(Container* parent, int depth);
    virtual ~IMControl();

    IMControl(const IMControl&) = delete;
    IMControl& operator=(const IMControl&) = delete;

    virtual long Reserved1();
    virtual long SetFocus(bool focus);
    virtual long Disable();
    virtual long Enable();
    virtual long Hide();
    virtual long Show();
    virtual long Close();
    virtual long SetDirty(bool dirty);
    virtual bool IsDirty() const = 0;
    virtual bool IsFocusable() const;
    virtual void SetFocusable(bool focusable);
    virtual bool IsEnabled() const;
    virtual bool IsHidden() const;
    virtual bool IsMouseOver() const;
    virtual bool IsMouseButtonDown() const;
    virtual bool IsLocked() const;
    virtual bool IsFocused() const;
    // Whether the point, in the parent's coordinates, lies on the control.
    virtual bool HitTest(int x, int y) = 0;
    virtual long OnMouseMove(const IMMouseEvent& e);
    virtual long OnMouseButton(const IMMouseEvent& e);
    virtual long OnClick(const IMMouseEvent& e);
    virtual long OnMouseEnter(const IMMouseEvent& e);
    virtual long OnMouseLeave(const IMMouseEvent& e);
    virtual long OnKey(const IMKeyboardEvent& e);
    virtual long OnPaint(const IMEvent& e);
    virtual long OnUpdate(const IMEvent& e);
    virtual long OnClose(const IMEvent& e);
    virtual long OnFocus(const IMEvent& e);
    virtual long OnFocusLost(const IMEvent& e);
    virtual long SetRect(const RECT& r) = 0;
    virtual RECT* GetRect(RECT* out) const = 0;
    // Cuts the slots (all but the focus signals) and queues the control for
    // deletion by its container. The control stays valid until then.
    virtual long Destroy();
    virtual long Draw() = 0;
    // Per-frame hook, called by OnUpdate.
    virtual long Update();

    // A control whose look changes with the clock in its updates, not only
    // through messages and timers (a player that plays, a bubble in flight),
    // says so in each update: the main loop then keeps looking round often
    // while nothing on the screen has changed for a while, and sleeps
    // longer while no update says so.
    static void NoteClockDriven() { clockDriven = true; }
    // Whether an update said so since the last call; clears it.
    static bool TakeClockDriven()
    {
        const bool said = clockDriven;
        clockDriven = false;
        return said;
    }

    typedef boost::signals2::connection Connection;
    Connection ConnectClosing(const EventSignal::slot_type& slot) { return Closing.connect(slot); }
    Connection ConnectUpdated(const EventSignal::slot_type& slot) { return Updated.connect(slot); }
    Connection ConnectDisabled(const EventSignal::slot_type& slot)
    {
        return Disabled.connect(slot);
    }
    Connection ConnectEnabled(const EventSignal::slot_type& slot) { return Enabled.connect(slot); }
    Connection ConnectHidden(const EventSignal::slot_type& slot) { return Hidden.connect(slot); }
    Connection ConnectShown(const EventSignal::slot_type& slot) { return Shown.connect(slot); }
    Connection ConnectChanged(const EventSignal::slot_type& slot) { return Changed.connect(slot); }
    Connection ConnectFocusGained(const EventSignal::slot_type& slot)
    {
        return FocusGained.connect(slot);
    }
    Connection ConnectFocusLost(const EventSignal::slot_type& slot)
    {
        return FocusLost.connect(slot);
    }
    Connection ConnectMouseMoved(const MouseSignal::slot_type& slot)
    {
        return MouseMoved.connect(slot);
    }
    Connection ConnectMouseButton(const MouseSignal::slot_type& slot)
    {
        return MouseButton.connect(slot);
    }
    Connection ConnectMouseEntered(const MouseSignal::slot_type& slot)
    {
        return MouseEntered.connect(slot);
    }
    Connection ConnectMouseLeft(const MouseSignal::slot_type& slot)
    {
        return MouseLeft.connect(slot);
    }
    Connection ConnectClicked(const MouseSignal::slot_type& slot) { return Clicked.connect(slot); }
    Connection ConnectKeyMessage(const KeySignal::slot_type& slot)
    {
        return KeyMessage.connect(slot);
    }
    Connection ConnectKeyDown(const KeySignal::slot_type& slot) { return KeyDown.connect(slot); }

    Container* GetParent() const { return parent; }
    int GetId() const { return id; }

protected:
    Container* parent;

public:
    EventSignal Painted;
    EventSignal Closing;
    EventSignal Updated;
    EventSignal Disabled;
    EventSignal Enabled;
    EventSignal Hidden;
    EventSignal Shown;
    EventSignal Changed;
    EventSignal FocusGained;
    EventSignal FocusLost;
    MouseSignal MouseMoved;
    MouseSignal MouseButton;
    MouseSignal Clicked;
    MouseSignal MouseEntered;
    MouseSignal MouseLeft;
    MouseSignal DoubleClicked;
    KeySignal KeyMessage;
    KeySignal KeyDown;
    KeySignal KeyUp;

protected:
    bool mouseOver;
    bool buttonDown;
    bool enabled;
    bool hidden;
    bool focused;
    bool locked;
    bool focusable;

private:
    int id;
    // Set by NoteClockDriven; the controls live on the UI thread only.
    static bool clockDriven;
};
