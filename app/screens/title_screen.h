// The title screen: the course, the exercise's number, title and description
// (scrolled when it is taller than its frame), the pupil's name bar, Start,
// Exit, the key legend and, when the application has settings, Options.
// The builder makes the controls; the shell binds what they do.
#pragma once

#include "app/screens/screen_parts.h"
#include "framework/widgets/IMEditBar.h"
#include "framework/widgets/IMScroll.h"

#include <string>

namespace screens {

struct TitleTexts {
    std::wstring number;
    std::wstring title;
    std::wstring description;
};

struct TitleScreen {
    Dialog* dialog = nullptr;
    TextLine* description = nullptr;
    // Moves inside the 593 x 236 frame when the description is scrolled.
    Dialog* descriptionContent = nullptr;
    IMScroll* scroll = nullptr;
    IMEditBar* nameBar = nullptr;
    Button* start = nullptr;
    Button* exit = nullptr;
    // Null without settings.
    Button* options = nullptr;
};

const int kDescriptionWidth = 593;
const int kDescriptionFrameHeight = 236;

// Fills the full-screen dialog; the name bar takes the focus.
TitleScreen BuildTitleScreen(Dialog* dialog, const TitleTexts& texts, bool withOptions);

// The scroll bar's slot: the description slides up by the position.
long ScrollDescription(int position, Dialog* content);

} // namespace screens
