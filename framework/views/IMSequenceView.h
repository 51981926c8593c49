// The view of frame animations: a texture view that shows one texture of a
// list of names, the current frame, and keeps a played range inside the list.
#pragma once

#include "framework/views/IMAnimationView.h"
#include "framework/views/IMTextureView.h"

#include <string>
#include <vector>

class IMSequenceView : public IMTextureView, public IMAnimationView {
public:
    IMSequenceView();

    // Appends a frame and shows the first frame of the range.
    void AddFrame(const std::wstring& name);
    int GetFrameCount() const { return static_cast<int>(frames.size()); }

    // Shows frame n. A number outside the list changes nothing.
    long SetFrame(int frame) override;
    int GetFrame() const override { return current; }
    int GetFirstFrame() const override { return first; }
    int GetLastFrame() const override { return last; }
    // Store the frame clamped into the list (0 for an empty list).
    long SetFirstFrame(int frame) override;
    long SetLastFrame(int frame) override;

protected:
    int Clamp(int frame) const;

    int current;
    int first;
    int last;
    std::vector<std::wstring> frames;
};
