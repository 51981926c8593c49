#include "framework/widgets/IMList.h"

#include <boost/bind/bind.hpp>

using namespace boost::placeholders;

namespace {

const DWORD kOpaqueWhite = 0xFFFFFFFFu;
const DWORD kOpaqueBlack = 0xFF000000u;
const int kScrollWidth = 16;

} // namespace

IMList::IMList(Container* parent)
    : IMViewControl<IMEmptyView>(parent, 0),
      frame(nullptr),
      itemsBox(nullptr),
      background(nullptr),
      lines{},
      mask(nullptr),
      selected(nullptr),
      scroll(nullptr),
      offset(0)
{
    frame = new Container(parent, nullptr, 0);
    background = Picture::Create(frame, 0, 0, L"EditBarBackGround", 0, kOpaqueWhite);
    itemsBox = Container::Create(frame, 0, 0, 0, 0, 0);
    for (Picture*& line : lines)
        line = Picture::Create(frame, 0, 0, L"EditBarKaretka", 0, kOpaqueWhite);
    // Made before any item, so it is drawn beneath the texts.
    mask = Picture::Create(itemsBox, 0, 0, L"SelectionMask", 0, kOpaqueWhite);
    if (mask)
        mask->Hide();
}

IMList::~IMList() = default;

long IMList::SetRect(const RECT& r)
{
    IMViewControl<IMEmptyView>::SetRect(r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (frame)
        frame->SetRect(r);
    const RECT inner{1, 1, w - 1, h - 1};
    if (itemsBox)
        itemsBox->SetRect(inner);
    if (background)
        background->SetRect(inner);
    auto place = [](Picture* line, int x, int y, int width, int height) {
        if (line)
            line->SetRect(RECT{x, y, x + width, y + height});
    };
    place(lines[2], 0, 0, 1, h);
    place(lines[0], 0, 0, w, 1);
    place(lines[1], 0, h - 1, w, 1);
    place(lines[3], w - 1, 0, 1, h);
    FitScrollBar();
    return 0;
}

int IMList::ContentHeight() const
{
    int height = 0;
    for (const Item* item : items)
        height += item->GetHeight();
    return height;
}

void IMList::FitScrollBar()
{
    if (!frame || !itemsBox)
        return;
    const int w = frame->GetWidth();
    const int h = frame->GetHeight();
    const int visible = h - 2;
    const int content = ContentHeight();
    // The bar needs a track: more than its two arrow buttons in height.
    const bool needed = content > visible && visible > 2 * kScrollWidth && w > kScrollWidth + 2;
    if (!needed) {
        if (scroll)
            scroll->Hide();
        itemsBox->SetRect(RECT{1, 1, w - 1, h - 1});
        offset = 0;
        PlaceItems();
        return;
    }
    const RECT bar{w - 1 - kScrollWidth, 1, w - 1, h - 1};
    if (!scroll) {
        scroll = new IMScroll(frame, &bar);
        scroll->PositionChanged.connect(boost::bind(&IMList::OnScroll, this, _1, _2));
    }
    scroll->Show();
    itemsBox->SetRect(RECT{1, 1, w - 1 - kScrollWidth, h - 1});
    // Pixels: an arrow steps a tenth of the list, a track a whole list.
    scroll->minimum = 0;
    scroll->maximum = content;
    scroll->page = visible;
    if (scroll->position > content - visible)
        scroll->position = content - visible;
    scroll->SetRect(bar);
    scroll->Layout();
    offset = scroll->position;
    PlaceItems();
}

void IMList::PlaceItems()
{
    int y = -offset;
    for (Item* item : items) {
        const int height = item->GetHeight();
        const int width = item->GetWidth();
        item->SetRect(RECT{0, y, width, y + height});
        y += height;
    }
    // The user's scrolling may take the selected item out of view.
    PlaceMask();
}

long IMList::OnScroll(const IMEvent&, int position)
{
    offset = position;
    PlaceItems();
    return 0;
}

IMList::Item* IMList::AddItem(std::wstring text)
{
    const int y = ContentHeight() - offset;
    Item* label = Item::Create(itemsBox, 0, y, text, 0);
    if (!label)
        return nullptr;
    label->SetTextColor(kOpaqueBlack);
    label->ConnectClicked(boost::bind(&IMList::OnItemClick, this, _1));
    items.push_back(label);
    FitScrollBar();
    return label;
}

void IMList::SelectItem(Item* item)
{
    selected = item;
    if (item && scroll && !scroll->IsHidden()) {
        RECT r;
        item->GetRect(&r);
        const int visible = itemsBox ? itemsBox->GetHeight() : r.bottom;
        if (r.top < 0 || r.bottom > visible) {
            // Into view: its top at the top, or its bottom at the bottom; an
            // item taller than the list shows its top. The bar's signal
            // places the items.
            const int top = r.top + offset;
            const int height = r.bottom - r.top;
            scroll->SetPosition(r.top < 0 || height > visible ? top : top + height - visible);
        }
    }
    PlaceMask();
}

void IMList::PlaceMask()
{
    if (!mask)
        return;
    if (!selected) {
        mask->Hide();
        return;
    }
    RECT r;
    selected->GetRect(&r);
    mask->Show();
    mask->SetRect(RECT{0, r.top, itemsBox ? itemsBox->GetWidth() : r.right, r.bottom + 1});
}

long IMList::OnItemClick(const IMMouseEvent& e)
{
    for (Item* item : items)
        if (item == e.sender)
            SelectItem(item);
    return 0;
}
