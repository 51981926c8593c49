#include "app/screens/results_screen.h"

#include "platform/codepage.h"

#include <new>

namespace screens {

namespace {

const DWORD kGreyed = 0xFF808080u;
// Dark red, like the failure lines of the Save As and printer dialogs.
const DWORD kFailureColour = 0xFFB01818u;
// The notice's place: under the pupil's name, above "Статистика:", as wide
// as the screen's margins allow.
const int kNoticeLeft = 30;
const int kNoticeTop = 400;
const int kNoticeHeight = 14;

void Grey(Button* button)
{
    if (!button)
        return;
    button->Disable();
    button->colour = kGreyed;
    button->SetDirty(true);
}

// The width of one line of text in the line's face and size.
int Measure(IMStaticText* line, const std::wstring& text)
{
    line->wordWrap = false;
    line->IMTextView::SetText(text);
    RECT extent;
    line->GetSourceRect(&extent);
    return extent.right - extent.left;
}

// before + "path" + after, the path shortened in its middle with "…" until
// the whole fits the width (its end, the file's name, is kept longest).
std::wstring Fitted(IMStaticText* line, const std::wstring& before, const std::wstring& path,
                    const std::wstring& after, int width)
{
    const std::wstring shown = platform::PathForDisplay(path);
    auto with = [&](size_t keep) {
        if (keep >= shown.size())
            return before + L"\"" + shown + L"\"" + after;
        const size_t head = keep / 3;
        const size_t tail = keep - head;
        return before + L"\"" + shown.substr(0, head) + L"…" + shown.substr(shown.size() - tail) +
               L"\"" + after;
    };
    if (Measure(line, with(shown.size())) <= width)
        return with(shown.size());
    // The longest shortening that fits.
    size_t low = 0, high = shown.size();
    while (low + 1 < high) {
        const size_t middle = (low + high) / 2;
        if (Measure(line, with(middle)) <= width)
            low = middle;
        else
            high = middle;
    }
    return with(low);
}

} // namespace

void ShowSaveNotice(IMStaticText* line, const ResultsScreenText& text)
{
    if (!line)
        return;
    auto* parent = line->GetParent();
    const int width = (parent ? parent->GetWidth() : 800) - 2 * kNoticeLeft;
    std::wstring first, second;
    const workbook::SaveFailure& failure = text.saveFailure;
    const workbook::SaveFailure& aside = text.leftAlone;
    if (failure.error != 0) {
        const std::wstring reason = workbook::SaveFailureWords(failure) + L".";
        const std::wstring where =
            failure.where.empty() ? text.path : platform::PathToWide(failure.where);
        if (where.empty()) {
            first = L"Результаты не сохранены: " + reason;
        } else {
            const wchar_t* what = failure.step == workbook::SaveStep::MakeFolder
                                      ? L"Результаты не сохранены в папку "
                                      : L"Результаты не сохранены в файл ";
            first = Fitted(line, what, where, L": " + reason, width);
        }
        second = L"Сохранить их в другом месте можно кнопкой «Сохранить как».";
    } else if (aside.error != 0) {
        first = Fitted(line, L"Файл ", platform::PathToWide(aside.where),
                       L" не изменён: " + workbook::SaveFailureWords(aside) + L".", width);
        second = Fitted(line, L"Результаты сохранены в файл ", text.path, L".", width);
    }
    if (first.empty()) {
        line->IMTextView::SetText(std::wstring());
        line->Hide();
        return;
    }
    line->IMTextView::SetText(first + L"\n" + second);
    line->wordWrap = true;
    line->SetRect(RECT{kNoticeLeft, kNoticeTop, kNoticeLeft + width, kNoticeTop + 1});
    line->Layout(0);
    RECT extent;
    line->GetSourceRect(&extent);
    line->SetRect(RECT{kNoticeLeft, kNoticeTop, kNoticeLeft + width,
                       kNoticeTop + (extent.bottom - extent.top)});
    line->Show();
    line->SetDirty(true);
}

ResultsScreen BuildResultsScreen(Dialog* window, const ResultsScreenText& text, bool withWorkbook)
{
    ResultsScreen screen;
    Dialog* dialog = new Dialog(window, nullptr, 0);
    screen.dialog = dialog;

    AddBackground(dialog);
    AddCourseHeading(dialog);
    AddCentredLine(dialog, L"ЗАДАНИЕ ВЫПОЛНЕНО", 24, false, 150);
    AddField(dialog, L"Номер ЦОР:", text.number, 250);
    AddField(dialog, L"Название:", text.title, 300);
    AddField(dialog, L"Ученик:", text.pupil, 350);
    AddTextLine(dialog, L"Статистика:", 18, true, 30, 465);
    if (text.saveFailure.error != 0 || text.leftAlone.error != 0) {
        TextLine* line = new (std::nothrow) TextLine(dialog, 0);
        if (line) {
            line->SetHeight(kNoticeHeight);
            line->SetTextColor(kFailureColour);
            ShowSaveNotice(line, text);
        }
        screen.saveFailureLine = line;
    }

    screen.print = AddSkinButton(dialog, L"PrintButton", 30, 490);
    screen.saveAs = AddSkinButton(dialog, L"SaveAsButton", 128, 490);
    if (!withWorkbook) {
        Grey(screen.print);
        Grey(screen.saveAs);
    }
    screen.retry = AddSkinButton(dialog, L"RetryButton", 535, 490);
    screen.close = AddSkinButton(dialog, L"CloseButton", 660, 490);
    screen.exit = AddExitButton(dialog);
    return screen;
}

} // namespace screens
