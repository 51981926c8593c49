// The page shown when a run is over: the course, "ЗАДАНИЕ ВЫПОЛНЕНО", the
// exercise's catalogue number and title, the pupil's name, and the buttons
// Print, Save As, Retry, Close and Exit. The shell builds it and connects
// the buttons to its own operations.
#pragma once

#include "app/screens/screen_parts.h"

#include <string>

namespace screens {

struct ResultsScreenText {
    std::wstring number;
    std::wstring title;
    std::wstring pupil;
    // The results' own file, and why the last save to it failed (empty when
    // it succeeded).
    std::wstring path;
    std::wstring saveFailure;
};

struct ResultsScreen {
    Dialog* dialog = nullptr;
    Button* print = nullptr;
    Button* saveAs = nullptr;
    Button* retry = nullptr;
    Button* close = nullptr;
    Button* exit = nullptr;
    // The line that says the results could not be saved; null when they were.
    IMStaticText* saveFailureLine = nullptr;
};

// Builds the page as a full-screen child of the window. Without a workbook
// Print and Save As are disabled and greyed. Connects nothing.
ResultsScreen BuildResultsScreen(Dialog* window, const ResultsScreenText& text, bool withWorkbook);

// The text of the line for a failed save of the results.
std::wstring SaveFailureText(const std::wstring& path, const std::wstring& reason);

} // namespace screens
