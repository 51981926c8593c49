// A framed vertical list of text items with one selected item.
//
// The list itself draws nothing: its parts live in a frame container made
// beside it in the list's parent (which owns it): a background, four 1-pixel
// lines and, inset by one pixel, an items container that clips the item
// labels and the selection mask drawn beneath them.
//
// When the items are taller than the list, a scroll bar along the frame's
// right edge moves them, so that every item can be reached and chosen; a
// selected item is scrolled into view.
#pragma once

#include "framework/controls/IMDialogBase.h"
#include "framework/controls/IMStaticPictureBase.h"
#include "framework/text/IMStaticTextBase.h"
#include "framework/widgets/IMScroll.h"

#include <string>
#include <vector>

class IMList : public IMViewControl<IMEmptyView> {
public:
    typedef IMStaticPictureBase<IMTextureView> Picture;
    typedef IMStaticPictureBase<IMTextView> Item;

    explicit IMList(Container* parent);
    ~IMList() override;

    long SetRect(const RECT& r) override;

    // Appends a label below the others and returns it.
    Item* AddItem(std::wstring text);
    // Makes the item the selected one; null deselects.
    void SelectItem(Item* item);
    long OnItemClick(const IMMouseEvent& e);
    // The scroll bar's slot: the items move up by the position, in pixels.
    long OnScroll(const IMEvent& e, int position);

    Item* GetSelectedItem() const { return selected; }
    const std::vector<Item*>& GetItems() const { return items; }
    Picture* GetSelectionMask() const { return mask; }
    Container* GetItemsContainer() const { return itemsBox; }
    Container* GetFrame() const { return frame; }
    // Null until the items first outgrow the list.
    IMScroll* GetScrollBar() const { return scroll; }

private:
    // Shows the scroll bar while the items are taller than the list, hides
    // it otherwise, and fits the range to them.
    void FitScrollBar();
    // Places the items and the mask at the current scroll offset.
    void PlaceItems();
    // Puts the mask under the selected item, or hides it.
    void PlaceMask();
    int ContentHeight() const;

    Container* frame;
    Container* itemsBox;
    Picture* background;
    // Top, bottom, left, right.
    Picture* lines[4];
    Picture* mask;
    std::vector<Item*> items;
    Item* selected;
    IMScroll* scroll;
    // How far the items are scrolled up, in pixels.
    int offset;
};
