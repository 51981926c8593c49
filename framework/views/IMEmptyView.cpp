#include "framework/views/IMEmptyView.h"

long IMEmptyView::Draw()
{
    dirty = false;
    return 0;
}
