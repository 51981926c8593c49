#include "framework/widgets/IMScroll.h"

#include "framework/window/IMWindow.h"
#include "platform/user32.h"

#include <boost/bind/bind.hpp>

#include <algorithm>
#include <cmath>

using namespace boost::placeholders;

namespace {

const int kDefaultWidth = 16;
const DWORD kFirstRepeat = 500;
const DWORD kNextRepeat = 50;

RECT StripAlongRightEdge(IMDialogBase<IMEmptyView>* parent)
{
    int width = 800;
    int height = 600;
    if (parent) {
        RECT r;
        parent->GetRect(&r);
        width = r.right - r.left;
        height = r.bottom - r.top;
    }
    return RECT{width - kDefaultWidth, 0, width, height};
}

IMButtonBase<IMStateView>* MakePart(IMDialogBase<IMEmptyView>* bar, const wchar_t* texture)
{
    return IMButtonBase<IMStateView>::Create(bar, 0, 0, texture, texture, texture, texture, 0);
}

} // namespace

IMScroll::IMScroll(IMDialogBase* parent, const RECT* rect)
    : IMDialogBase<IMEmptyView>(parent, rect, 0),
      minimum(0),
      maximum(100),
      position(0),
      page(10),
      up(nullptr),
      down(nullptr),
      upperTrack(nullptr),
      lowerTrack(nullptr),
      slider(nullptr),
      background(nullptr),
      lastMouseX(0),
      lastMouseY(0),
      repeatTimer(0)
{
    background = Picture::Create(this, 0, 0, L"ScrollBackground", 0, 0xFFFFFFFFu);
    up = MakePart(this, L"ScrollButtonUp");
    down = MakePart(this, L"ScrollButtonDown");
    upperTrack = MakePart(this, L"ScrollBackground");
    lowerTrack = MakePart(this, L"ScrollBackground");
    slider = MakePart(this, L"ScrollSlider");

    for (Button* part : {up, down, upperTrack, lowerTrack}) {
        if (!part)
            continue;
        part->ConnectMouseButton(boost::bind(&IMScroll::OnButtonMouse, this, _1));
        part->ConnectMouseLeft(boost::bind(&IMScroll::OnButtonMouse, this, _1));
    }
    if (slider)
        slider->ConnectMouseButton(boost::bind(&IMScroll::OnEvent, this, _1));
    if (IMWindow* window = IMWindow::Instance()) {
        window->ConnectMouseLeft(boost::bind(&IMScroll::OnEvent, this, _1));
        window->ConnectMouseButton(boost::bind(&IMScroll::OnEvent, this, _1));
    }

    if (!rect)
        SetRect(StripAlongRightEdge(parent));
}

IMScroll::~IMScroll()
{
    StopRepeat();
    mouse.disconnect();
}

long IMScroll::SetRect(const RECT& r)
{
    IMDialogBase<IMEmptyView>::SetRect(r);
    Layout();
    return 0;
}

long IMScroll::Layout()
{
    const int w = GetWidth();
    const int h = GetHeight();
    const int range = maximum - minimum > 0 ? maximum - minimum : 1;
    const int track = std::max(0, h - 2 * w);
    auto place = [](IMControl* part, int x, int y, int width, int height) {
        if (part)
            part->SetRect(RECT{x, y, x + width, y + std::max(0, height)});
    };
    const int upperLength = track * position / range;
    const int lowerTop = track * (position + page) / range;
    place(up, 0, 0, w, w);
    place(upperTrack, 0, w, w, upperLength);
    place(down, 0, h - w, w, w);
    place(lowerTrack, 0, w + lowerTop, w, track - lowerTop);
    place(background, 0, 0, w, h);
    if (!mouse.connected())
        place(slider, 0, w + upperLength, w, track * page / range);
    return 0;
}

long IMScroll::SetPosition(int p)
{
    if (std::max(p, minimum) > maximum - page)
        p = maximum - page;
    else if (p < minimum)
        p = minimum;
    if (p == position)
        return 0;
    position = p;
    EmitSignal(PositionChanged, IMEvent(this, IMEVENT_GENERIC), p);
    Layout();
    return 0;
}

void IMScroll::StopRepeat()
{
    if (repeatTimer != 0) {
        if (IMWindow* window = IMWindow::Instance())
            window->RemoveTimer(repeatTimer);
        repeatTimer = 0;
    }
}

long IMScroll::OnButtonMouse(const IMMouseEvent& e)
{
    int step = 0;
    if (e.sender == up)
        step = -(page / 10);
    else if (e.sender == down)
        step = page / 10;
    else if (e.sender == upperTrack)
        step = -page;
    else if (e.sender == lowerTrack)
        step = page;
    IMWindow* window = IMWindow::Instance();

    if (e.Is(IMEVENT_GENERIC)) {
        // A repeat tick: the next one comes 50 ms later, from a timer that
        // replaces this one.
        mouse.disconnect();
        SetPosition(position + step);
        StopRepeat();
        if (window) {
            repeatTimer = window->AddTimer(kNextRepeat);
            mouse =
                window->ConnectTimer(repeatTimer, boost::bind(&IMScroll::OnButtonMouse, this, e));
        }
    } else if (e.IsMessage(WM_LBUTTONDOWN)) {
        StopRepeat();
        mouse.disconnect();
        SetPosition(position + step);
        if (window) {
            IMMouseEvent tick(e);
            tick.code = IMEVENT_GENERIC;
            repeatTimer = window->AddTimer(kFirstRepeat);
            mouse = window->ConnectTimer(repeatTimer,
                                         boost::bind(&IMScroll::OnButtonMouse, this, tick));
        }
    } else if (e.IsMessage(WM_LBUTTONUP) || e.Is(IMEVENT_MOUSELEAVE)) {
        if (mouse.connected() && repeatTimer != 0) {
            StopRepeat();
            mouse.disconnect();
        }
    }
    return 0;
}

long IMScroll::OnEvent(const IMMouseEvent& e)
{
    IMWindow* window = IMWindow::Instance();
    if (e.sender == slider && e.IsMessage(WM_LBUTTONDOWN)) {
        if (window) {
            StopRepeat();
            mouse.disconnect();
            const IMMouseEvent last = window->LastMouseMoveEvent(window);
            lastMouseX = last.x;
            lastMouseY = last.y;
            mouse = window->ConnectMouseMoved(boost::bind(&IMScroll::OnEvent, this, _1));
        }
    }
    if (e.IsMessage(WM_LBUTTONUP) || e.Is(IMEVENT_MOUSELEAVE)) {
        // Only a drag ends here; a repeat is ended by its own part.
        if (repeatTimer == 0)
            mouse.disconnect();
    }
    if (e.IsMessage(WM_MOUSEMOVE) && mouse.connected() && repeatTimer == 0 && slider) {
        const int w = GetWidth();
        const int h = GetHeight();
        const int track = h - 2 * w;
        RECT s;
        slider->GetRect(&s);
        const int newTop = s.top + (e.y - lastMouseY);
        const int limit = h - w - (s.bottom - s.top);
        const int top = limit < std::max(w, newTop) ? limit : std::max(w, newTop);
        if (track > 0) {
            const int v = static_cast<int>(
                std::floor(static_cast<double>(top - w) * (maximum - minimum) / track + 0.5));
            if (v != position)
                SetPosition(v);
        }
        slider->SetRect(RECT{0, top, s.right - s.left, top + (s.bottom - s.top)});
        lastMouseX = e.x;
        lastMouseY = e.y;
        Layout();
    }
    return 0;
}
