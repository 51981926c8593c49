// A vertical scroll bar: arrow buttons at both ends, a track above and one
// below the slider, and the slider, which can be dragged. The position runs
// from minimum to maximum − page and is reported through PositionChanged.
//
// Holding an arrow or a track steps at once, again after 500 ms and then
// every 50 ms until the button is released or the pointer leaves the part.
// A drag follows the pointer pixel by pixel within the track and ends when
// the button is released anywhere in the window or the pointer leaves it.
#pragma once

#include "framework/controls/IMButtonBase.h"
#include "framework/controls/IMDialogBase.h"
#include "framework/controls/IMStaticPictureBase.h"

class IMScroll : public IMDialogBase<IMEmptyView> {
public:
    typedef IMButtonBase<IMStateView> Button;
    typedef IMStaticPictureBase<IMTextureView> Picture;

    // Without a rectangle: a strip 16 pixels wide along the parent's right
    // edge, laid out at once.
    IMScroll(IMDialogBase* parent, const RECT* rect);
    // Stops a running repeat (its timer goes with it).
    ~IMScroll() override;

    long SetRect(const RECT& r) override;
    // The slider's drag.
    virtual long OnEvent(const IMMouseEvent& e);
    // Places the parts from the rectangle and the four values.
    virtual long Layout();

    using IMEmptyView::SetPosition;
    // Clamps to minimum … maximum − page; a change fires PositionChanged.
    long SetPosition(int p);
    // Presses of the arrows and the tracks, with their repeat.
    long OnButtonMouse(const IMMouseEvent& e);

    Button* GetUpButton() const { return up; }
    Button* GetDownButton() const { return down; }
    Button* GetUpperTrack() const { return upperTrack; }
    Button* GetLowerTrack() const { return lowerTrack; }
    Button* GetSlider() const { return slider; }
    // For tests only: the repeat's timer on the window, and whether the
    // slider follows the mouse.
    int GetRepeatTimer() const { return repeatTimer; }
    bool IsTracking() const { return mouse.connected(); }

    IMSignalOf<const IMEvent&, int> PositionChanged;

    // The owner may set these and then call Layout; the range must stay
    // positive.
    int minimum;
    int maximum;
    int position;
    int page;

private:
    void StopRepeat();

    Button* up;
    Button* down;
    Button* upperTrack;
    Button* lowerTrack;
    Button* slider;
    Picture* background;
    Connection mouse;
    int lastMouseX;
    int lastMouseY;
    int repeatTimer;
};
