// A framed vertical list of text items with one selected item.
//
// The list itself draws nothing: its parts live in a frame container made
// beside it in the list's parent (which owns it): a background, four 1-pixel
// lines and, inset by one pixel, an items container that clips the item
// labels and the selection mask drawn beneath them.
#pragma once

#include "framework/controls/IMDialogBase.h"
#include "framework/controls/IMStaticPictureBase.h"
#include "framework/text/IMStaticTextBase.h"

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

    Item* GetSelectedItem() const { return selected; }
    const std::vector<Item*>& GetItems() const { return items; }
    Picture* GetSelectionMask() const { return mask; }
    Container* GetItemsContainer() const { return itemsBox; }
    Container* GetFrame() const { return frame; }

private:
    Container* frame;
    Container* itemsBox;
    Picture* background;
    // Top, bottom, left, right.
    Picture* lines[4];
    Picture* mask;
    std::vector<Item*> items;
    Item* selected;
};
