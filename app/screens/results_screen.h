// The page shown when a run is over: the course, "ЗАДАНИЕ ВЫПОЛНЕНО", the
// exercise's catalogue number and title, the pupil's name, and the buttons
// Print, Save As, Retry, Close and Exit. The shell builds it and connects
// the buttons to its own operations.
#pragma once

#include "app/screens/screen_parts.h"
#include "framework/workbook/save_failure.h"

#include <string>

namespace screens {

struct ResultsScreenText {
    std::wstring number;
    std::wstring title;
    std::wstring pupil;
    // The results' own file; why the last save of the results failed (error
    // 0 when it succeeded); the file left alone for not being a workbook,
    // and why (error 0 when the results have their usual file).
    std::wstring path;
    workbook::SaveFailure saveFailure;
    workbook::SaveFailure leftAlone;
};

struct ResultsScreen {
    Dialog* dialog = nullptr;
    Button* print = nullptr;
    Button* saveAs = nullptr;
    Button* retry = nullptr;
    Button* close = nullptr;
    Button* exit = nullptr;
    // The line that says the results could not be saved, or where they went
    // in place of their usual file; null when there was nothing to say.
    IMStaticText* saveFailureLine = nullptr;
};

// Builds the page as a full-screen child of the window. Without a workbook
// Print and Save As are disabled and greyed. Connects nothing.
ResultsScreen BuildResultsScreen(Dialog* window, const ResultsScreenText& text, bool withWorkbook);

// Makes the line say, in one or two lines that fit the screen, what failed,
// where, why, and that Save As can keep a copy elsewhere; or, after a
// successful save, where the results went in place of a file that is not a
// workbook. Hidden when there is nothing to say.
void ShowSaveNotice(IMStaticText* line, const ResultsScreenText& text);

} // namespace screens
