#include "framework/widgets/IMList.h"

#include <boost/bind/bind.hpp>

using namespace boost::placeholders;

namespace {

const DWORD kOpaqueWhite = 0xFFFFFFFFu;
const DWORD kOpaqueBlack = 0xFF000000u;

} // namespace

IMList::IMList(Container* parent)
    : IMViewControl<IMEmptyView>(parent, 0), frame(nullptr), itemsBox(nullptr),
      background(nullptr), lines{}, mask(nullptr), selected(nullptr)
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
    return 0;
}

IMList::Item* IMList::AddItem(std::wstring text)
{
    int y = 0;
    for (const Item* item : items)
        y += item->GetHeight();
    Item* label = Item::Create(itemsBox, 0, y, text, 0);
    if (!label)
        return nullptr;
    label->SetTextColor(kOpaqueBlack);
    label->ConnectClicked(boost::bind(&IMList::OnItemClick, this, _1));
    items.push_back(label);
    return label;
}

void IMList::SelectItem(Item* item)
{
    selected = item;
    if (!mask)
        return;
    if (!item) {
        mask->Hide();
        return;
    }
    mask->Show();
    RECT r;
    item->GetRect(&r);
    mask->SetRect(RECT{0, r.top, itemsBox ? itemsBox->GetWidth() : r.right, r.bottom + 1});
}

long IMList::OnItemClick(const IMMouseEvent& e)
{
    for (Item* item : items)
        if (item == e.sender)
            SelectItem(item);
    return 0;
}
