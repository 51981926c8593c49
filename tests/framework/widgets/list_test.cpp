// The list: its frame, items stacked in the order added, and the selection
// mask that covers the clicked item.
#include "widget_fixture.h"

#include "framework/widgets/IMList.h"

#include <string>
#include <vector>

using widget_test::Equal;
using widget_test::WidgetFixture;

namespace {

class List : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        list = new IMList(screen);
        list->SetRect(RECT{100, 100, 300, 200});
        Settle();
    }

    IMList* list = nullptr;
};

} // namespace

TEST_F(List, FrameAndItemsContainerFollowTheRectangle)
{
    EXPECT_TRUE(Equal(RECT{100, 100, 300, 200}, RectOf(list)));
    EXPECT_TRUE(Equal(RECT{100, 100, 300, 200}, RectOf(list->GetFrame())));
    EXPECT_TRUE(Equal(RECT{1, 1, 199, 99}, RectOf(list->GetItemsContainer())));
    EXPECT_EQ(screen, list->GetFrame()->GetParent());
    const RECT lines[] = {{0, 0, 1, 100}, {0, 0, 200, 1}, {0, 99, 200, 100}, {199, 0, 200, 100}};
    for (const RECT& r : lines) {
        bool found = false;
        for (IMControl* child : list->GetFrame()->LiveChildren())
            found = found || Equal(r, RectOf(child));
        EXPECT_TRUE(found) << r.left << "," << r.top;
    }
    EXPECT_TRUE(list->GetSelectionMask()->IsHidden());
    EXPECT_EQ(nullptr, list->GetSelectedItem());
}

TEST_F(List, ItemsStackInTheOrderAdded)
{
    IMList::Item* a = list->AddItem(L"Первый");
    IMList::Item* b = list->AddItem(L"Второй принтер");
    IMList::Item* c = list->AddItem(L"Третий");
    EXPECT_EQ(0, RectOf(a).top);
    EXPECT_EQ(a->GetHeight(), RectOf(b).top);
    EXPECT_EQ(a->GetHeight() + b->GetHeight(), RectOf(c).top);
    EXPECT_EQ(0, RectOf(c).left);
    EXPECT_EQ(16, a->GetHeight());
    EXPECT_EQ(0xFF000000u, b->GetGlyphColor(0));
    EXPECT_EQ(L"Второй принтер", b->GetText());
    EXPECT_EQ(3u, list->GetItems().size());
}

TEST_F(List, ClickingAnItemSelectsItUnderTheMask)
{
    list->AddItem(L"Первый");
    IMList::Item* second = list->AddItem(L"Второй");
    Settle();
    // The second label, in window pixels: the list's inset is one pixel.
    const RECT r = RectOf(second);
    window.Click(101 + r.left + 3, 101 + r.top + 5);
    window.Pump(3);
    EXPECT_EQ(second, list->GetSelectedItem());
    EXPECT_FALSE(list->GetSelectionMask()->IsHidden());
    EXPECT_TRUE(Equal(RECT{0, r.top, 198, r.bottom + 1}, RectOf(list->GetSelectionMask())));

    list->SelectItem(nullptr);
    EXPECT_TRUE(list->GetSelectionMask()->IsHidden());
    EXPECT_EQ(nullptr, list->GetSelectedItem());
}

// A school's print server easily lists more queues than the list shows.
TEST_F(List, ItemsBelowTheListScrollIntoReachAndCanBeChosen)
{
    list->SetRect(RECT{30, 58, 330, 158});
    std::vector<IMList::Item*> added;
    for (int i = 1; i <= 12; ++i)
        added.push_back(list->AddItem(L"Принтер " + std::to_wstring(i)));
    Settle();
    IMScroll* bar = list->GetScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_FALSE(bar->IsHidden());
    // The items give way to the bar along the right edge.
    EXPECT_EQ(282, list->GetItemsContainer()->GetWidth());
    IMList::Item* last = added.back();
    EXPECT_GT(RectOf(last).top, 98);

    // A press on the track below the slider pages down to the end.
    window.Click(30 + 290, 59 + 70);
    window.Pump(3);
    RECT r = RectOf(last);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.bottom, 98);
    window.Click(31 + 5, 59 + r.top + 5);
    window.Pump(3);
    EXPECT_EQ(last, list->GetSelectedItem());
    EXPECT_TRUE(Equal(RECT{0, r.top, 282, r.bottom + 1}, RectOf(list->GetSelectionMask())));

    // Paging back up leaves the choice as it is; its mask goes with it.
    window.Click(30 + 290, 59 + 20);
    window.Pump(3);
    EXPECT_EQ(0, RectOf(added.front()).top);
    EXPECT_EQ(last, list->GetSelectedItem());
    EXPECT_EQ(RectOf(last).top, RectOf(list->GetSelectionMask()).top);

    // Choosing an item out of sight brings it into view, mask and all.
    list->SelectItem(added.front());
    r = RectOf(added.front());
    EXPECT_EQ(0, r.top);
    EXPECT_TRUE(Equal(RECT{0, 0, 282, r.bottom + 1}, RectOf(list->GetSelectionMask())));
    list->SelectItem(added[9]);
    r = RectOf(added[9]);
    EXPECT_GE(r.top, 0);
    EXPECT_EQ(98, r.bottom);
}
