// The whole instruction in real time, judged by the performance counter that
// its timers read: nothing comes before its time; generous upper bounds
// allow for a loaded machine.
#include "app/screens/instruction_fixture.h"
#include "app/screens/keyboard_page.h"
#include "platform/kernel32.h"

using namespace app_test;
using namespace screens;

namespace {

class InstructionTimeline : public InstructionTest {};

} // namespace

TEST_F(InstructionTimeline, DemonstrationAtItsLabelsAndTheKeyboardPageAfterTheVoice)
{
    const double start = Seconds();
    Dialog* dialog = StartInstruction();
    ASSERT_NE(nullptr, dialog);
    CursorMouse* demo = app->demonstration;
    IMControl* ninth = app->driftingPictures[2].picture;
    double shown = -1, onTarget = -1, popped = -1, ended = -1;
    bool ninthUnderTarget = false;
    bool pointerHidden = true;

    ASSERT_TRUE(PumpUntil(
        [&] {
            const double t = Seconds() - start;
            if (!app->instructionEnded) {
                pointerHidden = pointerHidden && CursorCount() < 0;
                if (shown < 0 && !demo->pointer->IsHidden())
                    shown = t;
                const RECT p = RectOf(demo->pointer);
                if (shown >= 0 && onTarget < 0 && p.left == 451 && p.top == 347) {
                    onTarget = t;
                    const RECT b = RectOf(ninth);
                    ninthUnderTarget =
                        b.left <= 451 && 451 < b.right && b.top <= 347 && 347 < b.bottom;
                }
            }
            if (popped < 0 && app->driftingPictures.size() == 10)
                popped = t;
            if (ended < 0 && app->instructionEnded)
                ended = t;
            return ended >= 0;
        },
        90000));

    EXPECT_TRUE(pointerHidden);
    EXPECT_GE(shown, 14.4);
    EXPECT_LT(shown, 14.4 + 10);
    EXPECT_GT(onTarget, shown);
    EXPECT_TRUE(ninthUnderTarget);
    EXPECT_GE(popped, 15.9);
    EXPECT_LT(popped, 15.9 + 10);
    // The voice's data lasts 23.9 s; its end is heard only after that.
    EXPECT_GE(ended, 23.9);
    EXPECT_LT(ended, 23.9 + 30);
    Pump();
    EXPECT_EQ(3, ChildrenAtDepth(dialog, kKeyboardPageDepth));
    EXPECT_GE(CursorCount(), 0);

    KeyDown(VK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return app->exerciseDialog != nullptr; }));
}
