#include "platform/gdi32/face_info.h"

#include "platform/gdi32/gdi_state.h"

namespace platform::gdi {

bool InspectFace(HDC hdc, UINT character, FaceInfo* out)
{
    GdiState* state = GdiState::Instance();
    if (!state || !out) return false;
    std::lock_guard<std::mutex> lock(state->mutex);
    RealizedFont* font = state->SelectedFont(hdc);
    if (!font) return false;
    const FaceFile& file = font->FileFor(character);
    out->path = file.path;
    out->index = file.index;
    out->emWidth = font->EmWidth();
    out->emHeight = font->EmHeight();
    return true;
}

} // namespace platform::gdi
