// The translucent bubbles that drift slowly across the instruction: eleven
// pictures, each moved by a fixed step at every drift tick.
#pragma once

#include "framework/controls/IMDialogBase.h"
#include "framework/controls/IMStaticPictureBase.h"

#include <vector>

namespace screens {

struct BubblesStruct {
    IMStaticPictureBase<IMTextureView>* picture;
    float dx;
    float dy;
    float x;
    float y;
};

typedef std::vector<BubblesStruct> DriftingPictures;

// The pictures' tint: white at alpha 165.
constexpr DWORD kDriftingColour = 0xA5FFFFFF;
// The period of the drift ticks, ms.
constexpr DWORD kDriftPeriod = 10;
// The size every drifting picture is shown at.
constexpr int kDriftingWidth = 276;
constexpr int kDriftingHeight = 256;

// Makes the eleven pictures in the dialog, each inserted at the front of the
// list, so that the list runs from the last one made to the first. The list
// is emptied first, without touching the pictures it named.
void MakeDriftingPictures(IMDialogBase<IMEmptyView>* dialog, DriftingPictures* list);

// One drift tick: each picture's position grows by its step and the picture
// is moved to it, rounded to the nearest pixel.
void DriftOnce(DriftingPictures* list);

// Closes every picture of the list and empties it.
void ClearDriftingPictures(DriftingPictures* list);

} // namespace screens
