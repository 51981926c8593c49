// The frame interface of animated views: a current frame and the played
// range, first to last inclusive. The players drive their view through it.
#pragma once

class IMAnimationView {
public:
    virtual ~IMAnimationView() = default;

    virtual long SetFrame(int frame) = 0;
    virtual int GetFrame() const = 0;
    virtual int GetFirstFrame() const = 0;
    virtual int GetLastFrame() const = 0;
    virtual long SetFirstFrame(int frame) = 0;
    virtual long SetLastFrame(int frame) = 0;
};
