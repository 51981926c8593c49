#include "app/screens/credits.h"

#include "platform/user32.h"

#include <boost/bind/bind.hpp>

namespace screens {

const CreditLine kCreditLines[kCreditLineCount] = {
    {18, 25, L"Ольмарис"},
    {90, 21, L"Разработка"},
    {110, 20, L"Команда проекта «Кварлоп»: программа и рисунки"},
    {130, 20, L"Команда проекта «Кварлоп»: звуки и видеоролики"},
    {170, 21, L"Голоса"},
    {190, 20, L"Синтезатор речи Festival, русский голос msu_ru_nsh_clunits"},
    {230, 21, L"Окно, ввод, звук и видео"},
    {250, 20, L"Библиотеки SDL2 и Boost"},
    {270, 20, L"Библиотеки libvorbis и libtheora"},
    {310, 21, L"Шрифты и рисование текста"},
    {330, 20, L"Библиотеки FreeType и AGG"},
    {370, 21, L"Картинки"},
    {390, 20, L"Библиотеки libpng и libjpeg-turbo"},
    {430, 21, L"Таблица результатов и печать"},
    {450, 20, L"Библиотеки Xerces-C, cairo и CUPS"},
};

CreditsOverlay BuildCredits(Dialog* parent, int width, int height)
{
    CreditsOverlay credits;
    Dialog* overlay = Dialog::Create(parent, 0, 0, width, height, kCreditsDepth);
    if (!overlay)
        return credits;
    credits.overlay = overlay;
    AddBackground(overlay);
    for (const CreditLine& line : kCreditLines)
        AddTextLine(overlay, line.text, line.height, false, 22, line.y);
    credits.exit = AddExitButton(overlay);
    if (credits.exit)
        credits.exit->ConnectClicked(boost::bind(&IMControl::Close, overlay));
    return credits;
}

long RestoreCursorAndFlag(bool* flag, int shows)
{
    for (int i = 0; i <= shows; ++i)
        ShowCursor(FALSE);
    *flag = false;
    return 0;
}

} // namespace screens
