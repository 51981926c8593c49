// The whole instruction on the clock its loop passes move on: nothing comes
// before its time, and each thing comes within a pass or two of it.
#include "app/screens/instruction_fixture.h"
#include "app/screens/keyboard_page.h"
#include "platform/kernel32.h"

using namespace app_test;
using namespace screens;

namespace {

class InstructionTimeline : public InstructionTest {
protected:
    // The ninth picture made (third in the list) while the list holds all
    // eleven; null once the screen has popped and deleted it.
    IMControl* Ninth() const
    {
        return app->driftingPictures.size() == 11 ? app->driftingPictures[2].picture : nullptr;
    }
};

} // namespace

TEST_F(InstructionTimeline, DemonstrationAtItsLabelsAndTheKeyboardPageAfterTheVoice)
{
    // A pass stands for a tenth of a second: the 24 seconds take 240 passes.
    passMs = 100;
    const double start = Seconds();
    Dialog* dialog = StartInstruction();
    ASSERT_NE(nullptr, dialog);
    ASSERT_NE(nullptr, Ninth());
    double shown = -1, onTarget = -1, popped = -1, ended = -1;
    bool ninthUnderTarget = false;
    bool pointerHidden = true;

    ASSERT_TRUE(PumpUntil(
        [&] {
            const double t = Seconds() - start;
            // The demonstration and its pictures are asked for afresh at
            // every pass: the screen deletes them as it goes.
            if (!app->instructionEnded && app->demonstration) {
                IMControl* pointer = app->demonstration->pointer;
                pointerHidden = pointerHidden && CursorCount() < 0;
                if (shown < 0 && !pointer->IsHidden())
                    shown = t;
                const RECT p = RectOf(pointer);
                if (shown >= 0 && onTarget < 0 && p.left == 451 && p.top == 347) {
                    onTarget = t;
                    if (IMControl* ninth = Ninth()) {
                        const RECT b = RectOf(ninth);
                        ninthUnderTarget =
                            b.left <= 451 && 451 < b.right && b.top <= 347 && 347 < b.bottom;
                    }
                }
            }
            if (popped < 0 && app->driftingPictures.size() == 10)
                popped = t;
            if (ended < 0 && app->instructionEnded)
                ended = t;
            return ended >= 0;
        },
        60000));

    EXPECT_TRUE(pointerHidden);
    // Each thing comes at its label or within a few passes of it.
    EXPECT_GE(shown, 14.4);
    EXPECT_LT(shown, 14.4 + 0.35);
    EXPECT_GT(onTarget, shown);
    EXPECT_TRUE(ninthUnderTarget);
    EXPECT_GE(popped, 15.9);
    EXPECT_LT(popped, 15.9 + 0.35);
    // The voice's data lasts 23.9 s; its end is heard only after that, once
    // the stream has played a silent half of its one-second buffer.
    EXPECT_GE(ended, 23.9);
    EXPECT_LT(ended, 23.9 + 1.0);
    Pump();
    EXPECT_EQ(3, ChildrenAtDepth(dialog, kKeyboardPageDepth));
    EXPECT_GE(CursorCount(), 0);

    KeyDown(VK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return app->exerciseDialog != nullptr; }));
}
