#include "app/screens/settings_page.h"

#include <boost/lexical_cast.hpp>

#include <array>
#include <climits>

namespace screens {

namespace {

std::wstring Decimal(int value)
{
    return boost::lexical_cast<std::wstring>(value);
}

struct BarPlace {
    const wchar_t* label;
    int labelX;
    int barX;
    int y;
};

const BarPlace kBars[5] = {
    {L"Начальный диаметр пузырей (пикс.):", 40, 310, 135},
    {L"Конечный диаметр пузырей (пикс.):", 420, 675, 135},
    {L"Начальная скорость пузырей (1-10):", 40, 310, 175},
    {L"Конечная скорость пузырей (1-10):", 420, 675, 175},
    {L"Количество пузырей", 40, 310, 215},
};

std::array<int*, 5> Fields(const SettingsFields& f)
{
    return {f.initialDiameter, f.finalDiameter, f.initialSpeed, f.finalSpeed, f.bubbleCount};
}

bool IsSpeed(int value)
{
    return value >= 1 && value <= 10;
}

} // namespace

bool ParseSetting(const std::wstring& text, int* value)
{
    if (text.empty())
        return false;
    long long parsed = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
        parsed = parsed * 10 + (c - L'0');
        if (parsed > INT_MAX)
            return false;
    }
    *value = static_cast<int>(parsed);
    return true;
}

SettingsPage BuildSettingsPage(Dialog* dialog, const SettingsFields& fields)
{
    SettingsPage page;
    AddBackground(dialog);
    AddCentredLine(dialog, L"Настройки", 24, false, 20);
    const std::array<int*, 5> values = Fields(fields);
    for (int i = 0; i < 5; ++i) {
        IMEditBar* bar = new IMEditBar(dialog);
        bar->SetSize(60, 20);
        bar->SetPosition(kBars[i].barX, kBars[i].y);
        bar->SetText(Decimal(*values[i]));
        if (i == 0)
            bar->SetFocus(true);
        AddTextLine(dialog, kBars[i].label, 18, false, kBars[i].labelX, kBars[i].y);
        page.bars[i] = bar;
    }
    page.submit = AddSkinButton(dialog, L"SubmitButton", 500, 500);
    page.cancel = AddSkinButton(dialog, L"CancelButton", 630, 500);
    return page;
}

void SubmitSettings(IMControl* dialog, IMEditBar* const bars[5], const SettingsFields& fields)
{
    const std::array<int*, 5> values = Fields(fields);
    static const wchar_t* const kReplacements[4] = {L"512", L"128", L"1", L"7"};
    bool valid = true;
    for (int i = 0; i < 4; ++i) {
        int value = 0;
        const bool speed = i >= 2;
        // A speed outside 1 to 10 leaves the field as it was.
        if (ParseSetting(bars[i]->GetText(), &value) && (!speed || IsSpeed(value))) {
            *values[i] = value;
        } else {
            bars[i]->SetText(kReplacements[i]);
            valid = false;
        }
    }
    int count = 0;
    if (!ParseSetting(bars[4]->GetText(), &count)) {
        bars[4]->SetText(Decimal(*values[4]));
        return;
    }
    *values[4] = count;
    if (valid)
        dialog->Close();
}

void CancelSettings(IMControl* dialog, IMEditBar* const bars[5], const SettingsFields& fields)
{
    const std::array<int*, 5> values = Fields(fields);
    for (int i = 0; i < 5; ++i)
        bars[i]->SetText(Decimal(*values[i]));
    SubmitSettings(dialog, bars, fields);
}

} // namespace screens
