// A running window and resource manager for the text tests, with helpers to
// read what the texture table holds.
#pragma once

#include "framework/render/IMResourceManager.h"
#include "framework/text/IMTextView.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <string>

namespace text_test {

class TextFixture : public ::testing::Test {
protected:
    IMResourceManager& Manager() { return *window.Manager(); }

    int RefCount(int id)
    {
        IMTextureRecord* record = Manager().GetTextureRecord(id);
        return record ? record->refCount : 0;
    }

    bool IsRegistered(const std::wstring& name)
    {
        return Manager().FindTexture(name) != Manager().SlotCount();
    }

    testing_support::HeadlessWindow window;
};

// A free-standing text view (no control) with the widths of a few glyphs.
class TestTextView : public IMTextView {
public:
    using IMTextView::glyphs;
    using IMTextView::lineStarts;
};

inline int Width(const RECT& r)
{
    return r.right - r.left;
}
inline int Height(const RECT& r)
{
    return r.bottom - r.top;
}

} // namespace text_test
