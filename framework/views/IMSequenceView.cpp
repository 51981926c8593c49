#include "framework/views/IMSequenceView.h"

IMSequenceView::IMSequenceView() : current(0), first(0), last(0) {}

void IMSequenceView::AddFrame(const std::wstring& name)
{
    frames.push_back(name);
    SetFrame(GetFirstFrame());
}

long IMSequenceView::SetFrame(int frame)
{
    if (frame < 0 || frame >= GetFrameCount())
        return 0;
    current = frame;
    SetTexture(frames[static_cast<size_t>(frame)]);
    return 0;
}

int IMSequenceView::Clamp(int frame) const
{
    const int count = GetFrameCount();
    if (count == 0 || frame < 1)
        return 0;
    return frame >= count ? count - 1 : frame;
}

long IMSequenceView::SetFirstFrame(int frame)
{
    first = Clamp(frame);
    return 0;
}

long IMSequenceView::SetLastFrame(int frame)
{
    last = Clamp(frame);
    return 0;
}
