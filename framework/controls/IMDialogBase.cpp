#include "framework/controls/IMDialogBase.h"

#include "framework/render/IMResourceManager.h"
#include "platform/user32.h"

#include <algorithm>
#include <boost/bind/bind.hpp>
#include <new>

using namespace boost::placeholders;

namespace {

RECT BackBufferRect()
{
    const IMResourceManager* manager = IMResourceManager::Instance();
    if (!manager)
        return RECT{0, 0, 800, 600};
    return RECT{0, 0, manager->GetBackBufferWidth(), manager->GetBackBufferHeight()};
}

// A copy of the live children for a walk that may change them, in a list
// taken from a pool (walks nest; controls live on the UI thread only): a
// steady frame allocates none.
class ChildWalk {
public:
    template <class Layers>
    explicit ChildWalk(const Layers& layers)
    {
        std::vector<std::vector<IMControl*>*>& free = Pool();
        if (free.empty()) {
            list = new std::vector<IMControl*>();
        } else {
            list = free.back();
            free.pop_back();
        }
        for (const auto& layer : layers)
            list->insert(list->end(), layer.second.begin(), layer.second.end());
    }
    ~ChildWalk()
    {
        list->clear();
        Pool().push_back(list);
    }
    ChildWalk(const ChildWalk&) = delete;
    ChildWalk& operator=(const ChildWalk&) = delete;

    std::vector<IMControl*>::const_iterator begin() const { return list->begin(); }
    std::vector<IMControl*>::const_iterator end() const { return list->end(); }

private:
    // Kept for the life of the process, lists and all.
    static std::vector<std::vector<IMControl*>*>& Pool()
    {
        static auto* pool = new std::vector<std::vector<IMControl*>*>();
        return *pool;
    }

    std::vector<IMControl*>* list;
};

// The layer that holds the child, or the end.
template <class Layers>
auto LayerHolding(Layers& layers, const IMControl* child) -> decltype(layers.begin())
{
    auto layer = layers.begin();
    while (layer != layers.end() &&
           std::find(layer->second.begin(), layer->second.end(), child) == layer->second.end())
        ++layer;
    return layer;
}

template <class Layers>
bool Holds(const Layers& layers, const IMControl* child)
{
    return LayerHolding(layers, child) != layers.end();
}

} // namespace

IMDialogBase<IMEmptyView>::IMDialogBase(IMDialogBase* parent, const RECT* rect, int depth)
    : IMViewControl<IMEmptyView>(parent, depth),
      hovered(nullptr),
      focused(nullptr),
      focusToRestore(nullptr),
      lastX(0),
      lastY(0)
{
    SetFocusable(true);
    SetRect(rect ? *rect : BackBufferRect());
}

IMDialogBase<IMEmptyView>::~IMDialogBase()
{
    DeleteAllChildren();
}

IMDialogBase<IMEmptyView>* IMDialogBase<IMEmptyView>::Create(IMDialogBase* parent, int x, int y,
                                                             int width, int height, int depth)
{
    const RECT rect{x, y, x + width, y + height};
    return new (std::nothrow) IMDialogBase(parent, &rect, depth);
}

void IMDialogBase<IMEmptyView>::DeleteAllChildren()
{
    DeletePendingChildren();
    // Children never closed: take them out of the lists first, so that
    // nothing reached while they are deleted sees them.
    Layers live;
    live.swap(children);
    Layers waiting;
    waiting.swap(pending);
    hovered = nullptr;
    focused = nullptr;
    focusOrder.clear();
    focusToRestore = nullptr;
    for (Layers* layers : {&live, &waiting})
        for (auto& layer : *layers)
            for (IMControl* child : layer.second)
                delete child;
    // A child's destructor may have queued or added others; they go too.
    if (!children.empty() || !pending.empty() || !deletions.empty())
        DeleteAllChildren();
}

bool IMDialogBase<IMEmptyView>::EraseFrom(Layers& layers, IMControl* child)
{
    const auto layer = LayerHolding(layers, child);
    if (layer == layers.end())
        return false;
    layer->second.erase(std::find(layer->second.begin(), layer->second.end(), child));
    if (layer->second.empty())
        layers.erase(layer);
    return true;
}

void IMDialogBase<IMEmptyView>::Forget(IMControl* child)
{
    if (hovered == child)
        hovered = nullptr;
    if (focused == child)
        focused = nullptr;
    if (focusToRestore == child)
        focusToRestore = nullptr;
    focusOrder.erase(std::remove(focusOrder.begin(), focusOrder.end(), child), focusOrder.end());
}

bool IMDialogBase<IMEmptyView>::CanTakeFocusBack(IMControl* child) const
{
    return (Holds(children, child) || Holds(pending, child)) &&
           std::find(deletions.begin(), deletions.end(), child) == deletions.end() &&
           !child->IsHidden() && child->IsFocusable();
}

void IMDialogBase<IMEmptyView>::GiveFocusBack(IMControl* leaving)
{
    focusOrder.erase(std::remove(focusOrder.begin(), focusOrder.end(), leaving), focusOrder.end());
    if (focused != leaving && focusToRestore != leaving)
        return;
    IMControl* next = nullptr;
    for (auto it = focusOrder.rbegin(); it != focusOrder.rend() && !next; ++it) {
        if (CanTakeFocusBack(*it))
            next = *it;
    }
    if (focusToRestore == leaving) {
        // The container has not the focus now: it goes to `next` when the
        // container gets it back.
        focusToRestore = next;
        return;
    }
    leaving->SetFocus(false);
    focused = nullptr;
    if (next)
        next->SetFocus(true);
}

void IMDialogBase<IMEmptyView>::RefreshHoveredChild()
{
    if (IsMouseOver())
        UpdateHoveredChild(LastMouseMoveEvent(this));
}

IMMouseEvent IMDialogBase<IMEmptyView>::Inner(const IMMouseEvent& e)
{
    RECT r;
    GetRect(&r);
    lastX = e.x - r.left;
    lastY = e.y - r.top;
    return IMMouseEvent(this, e.code, e.wParam, lastX, lastY);
}

bool IMDialogBase<IMEmptyView>::IsLiveChild(const IMControl* child) const
{
    return Holds(children, child);
}

bool IMDialogBase<IMEmptyView>::IsPendingChild(const IMControl* child) const
{
    return Holds(pending, child);
}

std::vector<IMControl*> IMDialogBase<IMEmptyView>::LiveChildren() const
{
    std::vector<IMControl*> all;
    for (const auto& layer : children)
        all.insert(all.end(), layer.second.begin(), layer.second.end());
    return all;
}

IMControl* IMDialogBase<IMEmptyView>::AddChild(IMControl* child, int depth)
{
    if (IsLocked() || Holds(children, child))
        return child;
    pending[depth].push_back(child);
    child->FocusGained.connect(boost::bind(&IMDialogBase::OnChildFocus, this, _1));
    child->FocusLost.connect(boost::bind(&IMDialogBase::OnChildFocus, this, _1));
    SetDirty(true);
    return child;
}

void IMDialogBase<IMEmptyView>::RemoveChild(IMControl* child)
{
    if (Holds(children, child) &&
        std::find(deletions.begin(), deletions.end(), child) == deletions.end()) {
        deletions.push_back(child);
        SetDirty(true);
        GiveFocusBack(child);
    }
    // A child that never joined is deleted at once.
    if (EraseFrom(pending, child)) {
        GiveFocusBack(child);
        Forget(child);
        delete child;
    }
}

int IMDialogBase<IMEmptyView>::FindChildDepth(IMControl* child) const
{
    const auto layer = LayerHolding(children, child);
    return layer == children.end() ? 0 : layer->first;
}

void IMDialogBase<IMEmptyView>::MoveChildToDepth1(IMControl* child)
{
    for (Layers* layers : {&children, &pending}) {
        const auto layer = LayerHolding(*layers, child);
        if (layer == layers->end())
            continue;
        if (layer->first == 1)
            return;
        EraseFrom(*layers, child);
        (*layers)[1].push_back(child);
        return;
    }
}

void IMDialogBase<IMEmptyView>::UpdateHoveredChild(const IMMouseEvent& e)
{
    // A change notification from a child matters only when the pointer is
    // on that child or the child is the hovered one.
    if (e.sender != this && !(e.sender && e.sender->HitTest(e.x, e.y)) && e.sender != hovered)
        return;

    IMControl* found = nullptr;
    for (auto layer = children.rbegin(); layer != children.rend() && !found; ++layer) {
        for (auto it = layer->second.rbegin(); it != layer->second.rend(); ++it) {
            if ((*it)->HitTest(e.x, e.y)) {
                found = *it;
                break;
            }
        }
    }

    IMControl* old = hovered;
    if (found == old)
        return;
    // The child entered hears of the pointer before the child left.
    if (found) {
        hovered = found;
        found->OnMouseEnter(IMMouseEvent(this, IMEVENT_MOUSEENTER, e.wParam, e.x, e.y));
        // A slot of MouseEntered that hid, moved or disabled the child has
        // run this update again: its choice stands, not the stale one.
        if (hovered != found) {
            if (old && old != hovered)
                old->OnMouseLeave(IMMouseEvent(this, IMEVENT_MOUSELEAVE, e.wParam, e.x, e.y));
            return;
        }
    }
    if (old) {
        hovered = found;
        old->OnMouseLeave(IMMouseEvent(this, IMEVENT_MOUSELEAVE, e.wParam, e.x, e.y));
    }
}

void IMDialogBase<IMEmptyView>::DeletePendingChildren()
{
    // Children are deleted in the reverse order of queueing.
    while (!deletions.empty()) {
        IMControl* child = deletions.back();
        deletions.pop_back();
        EraseFrom(children, child);
        Forget(child);
        delete child;
    }
}

long IMDialogBase<IMEmptyView>::OnChildFocus(const IMEvent& e)
{
    if (e.Is(IMEVENT_FOCUS) && e.sender != focused) {
        // A child takes the focus: none is to be given back.
        focusToRestore = nullptr;
        SetFocus(true);
        if (focused)
            focused->SetFocus(false);
        focused = e.sender;
        focusOrder.erase(std::remove(focusOrder.begin(), focusOrder.end(), e.sender),
                         focusOrder.end());
        focusOrder.push_back(e.sender);
    } else if (e.Is(IMEVENT_FOCUSLOST) && e.sender == focused) {
        focused = nullptr;
    }
    return 1;
}

IMMouseEvent IMDialogBase<IMEmptyView>::LastMouseMoveEvent(IMControl* sender) const
{
    return IMMouseEvent(sender, IMEVENT_MOUSEMOVE, 0, lastX, lastY);
}

long IMDialogBase<IMEmptyView>::SetDirty(bool d)
{
    IMViewControl<IMEmptyView>::SetDirty(d);
    if (!d)
        for (IMControl* child : ChildWalk(children))
            child->SetDirty(false);
    return 0;
}

bool IMDialogBase<IMEmptyView>::IsDirty() const
{
    if (IMViewControl<IMEmptyView>::IsDirty())
        return true;
    for (const auto& layer : children)
        for (IMControl* child : layer.second)
            if (child->IsDirty())
                return true;
    return false;
}

bool IMDialogBase<IMEmptyView>::HitTest(int x, int y)
{
    if (IsHidden())
        return false;
    RECT r;
    GetRect(&r);
    return imrect::Contains(r, x, y);
}

long IMDialogBase<IMEmptyView>::OnMouseMove(const IMMouseEvent& e)
{
    IMControl::OnMouseMove(e);
    const IMMouseEvent inner = Inner(e);
    UpdateHoveredChild(inner);
    if (hovered)
        hovered->OnMouseMove(inner);
    return 0;
}

long IMDialogBase<IMEmptyView>::OnMouseButton(const IMMouseEvent& e)
{
    IMControl::OnMouseButton(e);
    // A button message says where the pointer is: a screen built under a
    // still pointer gets the click on the control under it. (A wheel
    // message's position is not the client's.)
    const bool wheel = e.IsMessage(WM_MOUSEWHEEL);
    const IMMouseEvent inner = wheel ? LastMouseMoveEvent(this) : Inner(e);
    if (!wheel)
        UpdateHoveredChild(inner);
    IMControl* child = hovered;
    if (!child)
        return 0;
    // Only a left-button press over a focusable child moves the focus.
    if (e.IsMessage(WM_LBUTTONDOWN) && child != focused && child->IsFocusable()) {
        if (focused)
            focused->SetFocus(false);
        child->SetFocus(true);
    }
    RECT r;
    GetRect(&r);
    if (hovered)
        hovered->OnMouseButton(IMMouseEvent(this, e.code, e.wParam, e.x - r.left, e.y - r.top));
    return 0;
}

long IMDialogBase<IMEmptyView>::OnMouseEnter(const IMMouseEvent& e)
{
    IMControl::OnMouseEnter(e);
    // Entered from the parent (not by the window's own tracking), the event
    // carries the pointer's position: the child under it is entered too.
    if (e.sender != this)
        UpdateHoveredChild(Inner(e));
    return 0;
}

long IMDialogBase<IMEmptyView>::OnMouseLeave(const IMMouseEvent& e)
{
    IMControl::OnMouseLeave(e);
    if (hovered) {
        hovered->OnMouseLeave(e);
        hovered = nullptr;
    }
    return 0;
}

long IMDialogBase<IMEmptyView>::OnKey(const IMKeyboardEvent& e)
{
    IMControl::OnKey(e);
    if (focused)
        focused->OnKey(e);
    return 0;
}

long IMDialogBase<IMEmptyView>::OnPaint(const IMEvent& e)
{
    if (IsHidden()) {
        SetDirty(false);
        return 0;
    }
    IMResourceManager* manager = IMResourceManager::Instance();
    IDirect3DDevice9* device = manager ? manager->Device() : nullptr;
    if (device) {
        // Children are clipped to the container and drawn in its coordinates.
        D3DVIEWPORT9 saved;
        device->GetViewport(&saved);
        const int ox = manager->originX;
        const int oy = manager->originY;
        RECT r;
        GetRect(&r);
        const RECT screen = imrect::Offset(r, ox, oy);
        const RECT view{static_cast<LONG>(saved.X), static_cast<LONG>(saved.Y),
                        static_cast<LONG>(saved.X + saved.Width),
                        static_cast<LONG>(saved.Y + saved.Height)};
        const RECT clip = imrect::Intersect(screen, view);
        if (imrect::IsEmpty(clip)) {
            SetDirty(false);
            return 0;
        }
        const D3DVIEWPORT9 narrowed{static_cast<DWORD>(clip.left),
                                    static_cast<DWORD>(clip.top),
                                    static_cast<DWORD>(clip.right - clip.left),
                                    static_cast<DWORD>(clip.bottom - clip.top),
                                    0.0f,
                                    1.0f};
        device->SetViewport(&narrowed);
        manager->originX = ox + r.left;
        manager->originY = oy + r.top;
        for (IMControl* child : ChildWalk(children))
            child->OnPaint(e);
        manager->originX = ox;
        manager->originY = oy;
        device->SetViewport(&saved);
    } else {
        // No device: nothing can be drawn, but the children still go
        // through their paint pass.
        for (IMControl* child : ChildWalk(children))
            child->OnPaint(e);
    }

    Draw();
    SetDirty(false);
    EmitSignal(Painted, IMEvent(this, IMEVENT_PAINT));
    return 0;
}

long IMDialogBase<IMEmptyView>::OnUpdate(const IMEvent& e)
{
    const bool changing = !deletions.empty() || !pending.empty();
    DeletePendingChildren();
    for (auto& layer : pending) {
        std::vector<IMControl*>& live = children[layer.first];
        live.insert(live.end(), layer.second.begin(), layer.second.end());
    }
    pending.clear();
    if (changing)
        RefreshHoveredChild();
    Update();
    EmitSignal(Updated, IMEvent(this, IMEVENT_UPDATE));
    for (IMControl* child : ChildWalk(children))
        child->OnUpdate(e);
    if (!deletions.empty()) {
        DeletePendingChildren();
        RefreshHoveredChild();
    }
    return 0;
}

long IMDialogBase<IMEmptyView>::OnClose(const IMEvent& e)
{
    for (IMControl* child : ChildWalk(children))
        child->OnClose(e);
    Destroy();
    return 0;
}

long IMDialogBase<IMEmptyView>::OnFocus(const IMEvent& e)
{
    IMControl::OnFocus(e);
    // The focus back: to the child that held it when it went.
    if (!focused && focusToRestore) {
        IMControl* child = focusToRestore;
        focusToRestore = nullptr;
        if (CanTakeFocusBack(child))
            child->SetFocus(true);
    }
    return 0;
}

long IMDialogBase<IMEmptyView>::OnFocusLost(const IMEvent& e)
{
    IMControl::OnFocusLost(e);
    if (focused)
        focusToRestore = focused;
    focused = nullptr;
    for (IMControl* child : ChildWalk(children))
        child->OnFocusLost(e);
    return 0;
}
