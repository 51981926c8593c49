#include "app/screens/drifting_pictures.h"

#include <cmath>

namespace screens {

namespace {

struct DriftStart {
    int left;
    int top;
    float dx;
    float dy;
};

// In the order the pictures are made.
const DriftStart kStarts[] = {
    {50, 0, 0.1f, 0.04f},       {100, 100, 0.05f, -0.1f},   {126, 400, 0.5f, -0.05f},
    {530, 98, -0.5f, 0.1f},     {28, 460, 0.05f, -0.05f},   {317, 517, 0.03f, -0.03f},
    {700, 400, -0.06f, -0.02f}, {400, 40, -0.01f, 0.01f},   {280, 200, 0.04f, 0.03f},
    {423, 765, -0.04f, -0.3f},  {534, 373, -0.04f, -0.03f},
};

} // namespace

void MakeDriftingPictures(IMDialogBase<IMEmptyView>* dialog, DriftingPictures* list)
{
    typedef IMStaticPictureBase<IMTextureView> Picture;
    list->clear();
    for (const DriftStart& start : kStarts) {
        Picture* picture = Picture::Create(dialog, 50, 0, L"103", 0, 0xFFFFFFFF);
        if (!picture)
            continue;
        picture->SetRect(
            RECT{start.left, start.top, start.left + kDriftingWidth, start.top + kDriftingHeight});
        picture->colour = kDriftingColour;
        picture->SetDirty(true);
        list->insert(list->begin(),
                     BubblesStruct{picture, start.dx, start.dy, static_cast<float>(start.left),
                                   static_cast<float>(start.top)});
    }
}

void DriftOnce(DriftingPictures* list)
{
    for (BubblesStruct& bubble : *list) {
        bubble.x += bubble.dx;
        bubble.y += bubble.dy;
        bubble.picture->MoveTo(POINT{static_cast<LONG>(std::floor(bubble.x + 0.5f)),
                                     static_cast<LONG>(std::floor(bubble.y + 0.5f))});
    }
}

void ClearDriftingPictures(DriftingPictures* list)
{
    for (BubblesStruct& bubble : *list)
        bubble.picture->Close();
    list->clear();
}

} // namespace screens
