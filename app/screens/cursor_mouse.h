// The mouse demonstration of the instruction: a picture of a computer mouse
// and of the mouse pointer, shown together, glided onto a bubble, and a
// press of the mouse's left button with its click sound. The instruction
// makes one for each showing, drives it from its voice's labels and deletes
// it after Release. UI thread only.
#pragma once

#include "framework/controls/IMDialogBase.h"
#include "framework/controls/IMStaticPictureBase.h"

#include <boost/signals2/trackable.hpp>

#include <vector>

namespace screens {

class CursorMouse : public boost::signals2::trackable {
public:
    typedef IMDialogBase<IMEmptyView> Dialog;
    typedef IMStaticPictureBase<IMTextureView> Picture;

    // Where the pointer and the mouse glide from and to (the pointer's
    // top-left corner; the mouse keeps its offset from it).
    static constexpr int kStartX = 300;
    static constexpr int kStartY = 300;
    static constexpr int kTargetX = 451;
    static constexpr int kTargetY = 347;
    // The pictures lie above everything else of the dialog.
    static constexpr int kDepth = 60000;
    // Frame period of the click: 6 frames per second.
    static constexpr int kClickPeriod = 10000;

    // Registers the click sound and the eight textures and makes both
    // pictures, visible, in the dialog.
    explicit CursorMouse(Dialog* dialog);
    CursorMouse(const CursorMouse&) = delete;
    CursorMouse& operator=(const CursorMouse&) = delete;

    // Glides the pointer and the mouse together towards the target.
    void GlideIn();
    // One click over the mouse picture: the pressed mouse for one frame,
    // with the click sound, then the mouse at rest; the animation then
    // closes itself.
    void Click();
    // The click animation's frame changes: the sound starts afresh at the
    // listed counts.
    long OnClickFrame(std::vector<int> soundAt);
    // Gives back the demonstration's texture references and closes both
    // pictures; the object is not deleted. A click still playing goes with
    // the dialog.
    void Release();

    Picture* mouse;
    Picture* pointer;
    unsigned long clickSound;
    Dialog* dialog;
    int offsetX;
    int offsetY;
    int clickCount;

private:
    // The texture identifiers this object holds a reference of.
    std::vector<int> textures;
};

} // namespace screens
