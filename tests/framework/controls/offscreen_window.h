// The test window with its frames kept in the device: presented frames are
// read back from there and never handed to the window system, whose
// headless renderer is not what these tests are about.
#pragma once

#include "platform/present.h"
#include "support/headless_window.h"

namespace testing_support {

class OffscreenWindow : public HeadlessWindow {
public:
    OffscreenWindow() { platform::SetPresentFunction(nullptr); }
};

} // namespace testing_support
