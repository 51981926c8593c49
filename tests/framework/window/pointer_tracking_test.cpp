// The window follows the pointer entering and leaving its client area once
// per frame, without any mouse message.
#include "support/headless_window.h"
#include "support/probe_control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::HeadlessWindow;
using testing_support::Probe;
using testing_support::ProbeLog;

namespace {

IMControl::MouseSignal::slot_type Note(std::vector<std::string>* lines, const std::string& what)
{
    return [lines, what](const IMMouseEvent& e) -> long {
        lines->push_back(what + " " + std::to_string(e.code));
        return 0;
    };
}

} // namespace

TEST(PointerTracking, WindowHearsThePointerLeaveAndEnterAtTheNextFrame)
{
    ProbeLog log;
    HeadlessWindow w(true); // windowed: the pointer can leave the client area
    Probe* child = new Probe(w.window, RECT{0, 0, 800, 600}, 0, "child", &log);
    IMWindow::SetCursorPos(400, 300);
    w.Pump(1); // the child joins
    w.MoveMouse(400, 300);
    w.Pump(1);
    ASSERT_TRUE(w.window->IsMouseOver());
    ASSERT_EQ(w.window->GetHoveredChild(), child);

    std::vector<std::string> lines;
    w.window->ConnectMouseEntered(Note(&lines, "window entered"));
    w.window->ConnectMouseLeft(Note(&lines, "window left"));
    child->ConnectMouseLeft(Note(&lines, "child left"));

    // No mouse message: the window finds out by itself.
    w.PointerLeavesWindow();
    w.Pump(3);
    EXPECT_FALSE(w.window->IsMouseOver());
    EXPECT_EQ(w.window->GetHoveredChild(), nullptr);

    IMWindow::SetCursorPos(10, 10);
    w.Pump(3);
    EXPECT_TRUE(w.window->IsMouseOver());
    EXPECT_EQ(lines, (std::vector<std::string>{"window left 675", "child left 675",
                                               "window entered 523"}));
}

TEST(PointerTracking, CursorPositionIsGivenInClientCoordinates)
{
    HeadlessWindow w(true);
    POINT origin{0, 0};
    ClientToScreen(w.hwnd, &origin);
    IMWindow::SetCursorPos(10, 20);
    POINT p{0, 0};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, origin.x + 10);
    EXPECT_EQ(p.y, origin.y + 20);
}
