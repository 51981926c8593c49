// Every control of the title screen, the settings page, the exit dialog, the
// credits and the results screen, as built: its kind, its text or skin, its
// place and its size, in the order it is made. One table per screen, so that
// any moved, resized, renamed, added or lost control shows.
#include "app/screens/credits.h"
#include "app/screens/screens_fixture.h"
#include "platform/codepage.h"

#include <sstream>

using namespace app_test;

namespace {

enum Kind { kText, kPicture, kButton, kBar, kFrame, kScroll };

// What a control should be. Texts are sized to their laid-out text: their
// width is only checked to be there, their height to suit the text height
// given as `height`. kCentred as x: centred across the parent, halves
// truncated.
struct Expected {
    Kind kind;
    std::wstring content;
    int x, y, width, height;
    // The table's rows for the children of a frame follow it, one level in.
    int level = 0;
};

const int kCentred = -1;
// A size the table leaves to another test (the description's wrapped text).
const int kAny = -2;

struct Seen {
    Kind kind;
    std::wstring content;
    RECT rect;
    int level;
    int parentWidth;
};

std::wstring TextureName(int id)
{
    IMResourceManager* manager = IMResourceManager::Instance();
    for (const wchar_t* name :
         {L"DefaultBackGround", L"EditBarKaretka", L"EscButton", L"F1Button", L"F12Button"})
        if (manager->FindTexture(name) == id)
            return name;
    return L"?";
}

// The controls under `dialog`, depth first; edit bars and scroll bars are
// leaves.
void Walk(Dialog* dialog, int level, std::vector<Seen>& seen)
{
    for (IMControl* child : dialog->LiveChildren()) {
        Seen s{kFrame, L"", {}, level, dialog->GetWidth()};
        child->GetRect(&s.rect);
        if (auto* bar = dynamic_cast<IMEditBar*>(child)) {
            s.kind = kBar;
            s.content = bar->GetText();
        } else if (dynamic_cast<IMScroll*>(child)) {
            s.kind = kScroll;
        } else if (auto* text = dynamic_cast<screens::TextLine*>(child)) {
            s.kind = kText;
            s.content = text->GetText();
        } else if (auto* button = dynamic_cast<screens::Button*>(child)) {
            s.kind = kButton;
            s.content = button->GetStateTexture(IMStateView::StateNormal);
        } else if (auto* picture = dynamic_cast<screens::Picture*>(child)) {
            s.kind = kPicture;
            s.content = picture->HasTexture() ? TextureName(picture->GetTextureId()) : L"";
        }
        seen.push_back(s);
        if (auto* frame = dynamic_cast<Dialog*>(child); frame && s.kind == kFrame)
            Walk(frame, level + 1, seen);
    }
}

std::string Describe(const Seen& s)
{
    std::wostringstream out;
    out << L"kind " << s.kind << L" level " << s.level << L" \"" << s.content << L"\" at ("
        << s.rect.left << L", " << s.rect.top << L") " << s.rect.right - s.rect.left << L"x"
        << s.rect.bottom - s.rect.top;
    return platform::WideToUtf8(out.str());
}

void ExpectLayout(Dialog* screen, const std::vector<Expected>& table)
{
    ASSERT_NE(nullptr, screen);
    std::vector<Seen> seen;
    Walk(screen, 0, seen);
    EXPECT_EQ(table.size(), seen.size());
    for (size_t i = 0; i < std::min(table.size(), seen.size()); ++i) {
        const Expected& e = table[i];
        const Seen& s = seen[i];
        const int w = s.rect.right - s.rect.left, h = s.rect.bottom - s.rect.top;
        SCOPED_TRACE("control " + std::to_string(i) + ": " + Describe(s));
        EXPECT_EQ(e.kind, s.kind);
        EXPECT_EQ(e.level, s.level);
        EXPECT_EQ(e.content, s.content);
        EXPECT_EQ(e.x == kCentred ? screens::CentredLeft(s.parentWidth, w) : e.x, s.rect.left);
        EXPECT_EQ(e.y, s.rect.top);
        if (e.height == kAny) {
            EXPECT_LE(w, e.width);
        } else if (e.kind == kText) {
            EXPECT_GT(w, e.height * int(e.content.size()) / 4);
            EXPECT_GE(h, e.height);
            EXPECT_LE(h, e.height * 3 / 2);
        } else {
            EXPECT_EQ(e.width, w);
            EXPECT_EQ(e.height, h);
        }
    }
}

class ScreenLayoutTest : public ScreensTest {};

} // namespace

TEST_F(ScreenLayoutTest, TitleScreen)
{
    ExpectLayout(
        ShowTitle(),
        {
            {kPicture, L"DefaultBackGround", 0, 0, 800, 600},
            {kText, L"трувель", kCentred, 10, 0, 14},
            {kText, L"Ольмарис", kCentred, 35, 0, 18},
            {kText, L"Номер ЦОР:", 30, 115, 0, 18},
            {kText, L"07342", 135, 115, 0, 18},
            {kText, L"Название:", 30, 152, 0, 18},
            {kText, L"Тренажер «Кварлоп»", 135, 152, 0, 18},
            {kText, L"Описание:", 30, 188, 0, 18},
            {kFrame, L"", 119, 187, 593, 236},
            // The description's content, as high as its wrapped text.
            {kFrame, L"", 0, 0, 593, kAny, 1},
            {kText, exercise::kDescription, 0, 0, 593, kAny, 2},
            {kScroll, L"", 712, 187, 14, 240},
            {kText, L"Ученик:", 30, 460, 0, 18},
            {kBar, L"", 135, 460, 520, 20},
            {kButton, L"StartPopStartButton", 690, 450, 84, 47},
            {kButton, L"ExitButton", 755, 22, 21, 21},
            {kText, L"Клавиши:", 30, 520, 0, 18},
            {kPicture, L"EscButton", 135, 517, 37, 25},
            {kText, L"- пропустить инструкцию;", 180, 520, 0, 16},
            {kPicture, L"F1Button", 350, 517, 37, 25},
            {kText, L"- повторить инструкцию;", 395, 520, 0, 16},
            {kPicture, L"F12Button", 555, 517, 37, 25},
            {kText, L"- выход", 600, 520, 0, 16},
            {kButton, L"OptionsButton", 665, 510, 109, 47},
        });
}

TEST_F(ScreenLayoutTest, SettingsPage)
{
    ShowTitle();
    app->RunInDialog(app->settingsScreen);
    Pump();
    ExpectLayout(Top(), {
                            {kPicture, L"DefaultBackGround", 0, 0, 800, 600},
                            {kText, L"Настройки", kCentred, 20, 0, 24},
                            {kBar, L"512", 310, 135, 60, 20},
                            {kText, L"Начальный диаметр пузырей (пикс.):", 40, 135, 0, 18},
                            {kBar, L"128", 675, 135, 60, 20},
                            {kText, L"Конечный диаметр пузырей (пикс.):", 420, 135, 0, 18},
                            {kBar, L"1", 310, 175, 60, 20},
                            {kText, L"Начальная скорость пузырей (1-10):", 40, 175, 0, 18},
                            {kBar, L"7", 675, 175, 60, 20},
                            {kText, L"Конечная скорость пузырей (1-10):", 420, 175, 0, 18},
                            {kBar, L"10", 310, 215, 60, 20},
                            {kText, L"Количество пузырей", 40, 215, 0, 18},
                            {kButton, L"SubmitButton", 500, 500, 109, 47},
                            {kButton, L"CancelButton", 630, 500, 111, 47},
                        });
}

TEST_F(ScreenLayoutTest, ExitDialog)
{
    ShowTitle();
    Press(VK_F12);
    ASSERT_EQ(app->childScreen, Top());
    // The veil over the whole screen, the panel centred in it.
    RECT veil;
    app->childScreen->GetRect(&veil);
    EXPECT_EQ(0, veil.left);
    EXPECT_EQ(0, veil.top);
    EXPECT_EQ(800, veil.right);
    EXPECT_EQ(600, veil.bottom);
    ExpectLayout(app->childScreen, {
                                       {kPicture, L"EditBarKaretka", 0, 0, 800, 600},
                                       {kFrame, L"", 332, 200, 136, 200},
                                       {kPicture, L"DefaultBackGround", 0, -100, 136, 400, 1},
                                       {kButton, L"RetryButton", 10, 20, 109, 47, 1},
                                       {kButton, L"CloseButton", 10, 80, 111, 47, 1},
                                       {kButton, L"CancelButton", 10, 140, 111, 47, 1},
                                       {kPicture, L"EditBarKaretka", 0, 0, 1, 200, 1},
                                       {kPicture, L"EditBarKaretka", 0, 0, 136, 1, 1},
                                       {kPicture, L"EditBarKaretka", 135, 0, 1, 200, 1},
                                       {kPicture, L"EditBarKaretka", 0, 199, 136, 1, 1},
                                   });
}

TEST_F(ScreenLayoutTest, Credits)
{
    ShowTitle();
    KeyI(true);
    std::vector<Expected> table{{kPicture, L"DefaultBackGround", 0, 0, 800, 600}};
    // The course title, then the headings and names each group of 20 pixels
    // apart, a heading 40 below the group before it.
    const int ys[screens::kCreditLineCount] = {18,  90,  110, 130, 170, 190, 230, 250,
                                               270, 310, 330, 370, 390, 430, 450};
    for (int i = 0; i < screens::kCreditLineCount; ++i) {
        const int height = i == 0 ? 25 : (ys[i] - ys[i - 1] == 40 || i == 1) ? 21 : 20;
        // The texts after the course title are the program's own.
        table.push_back({kText, i == 0 ? L"Ольмарис" : screens::kCreditLines[i].text, 22, ys[i],
                         0, height});
    }
    table.push_back({kButton, L"ExitButton", 755, 22, 21, 21});
    ExpectLayout(Top(), table);
}

TEST_F(ScreenLayoutTest, ResultsScreen)
{
    app->CreateWorkbook(L"Петров");
    app->SetPupilName(L"Петров");
    app->ShowResultsScreen();
    Pump();
    ExpectLayout(Top(), {
                            {kPicture, L"DefaultBackGround", 0, 0, 800, 600},
                            {kText, L"трувель", kCentred, 10, 0, 14},
                            {kText, L"Ольмарис", kCentred, 35, 0, 18},
                            {kText, L"ЗАДАНИЕ ВЫПОЛНЕНО", kCentred, 150, 0, 24},
                            {kText, L"Номер ЦОР:", 30, 250, 0, 18},
                            {kText, L"07342", 135, 250, 0, 18},
                            {kText, L"Название:", 30, 300, 0, 18},
                            {kText, L"Тренажер «Кварлоп»", 135, 300, 0, 18},
                            {kText, L"Ученик:", 30, 350, 0, 18},
                            {kText, L"Петров", 135, 350, 0, 18},
                            {kText, L"Статистика:", 30, 465, 0, 18},
                            {kButton, L"PrintButton", 30, 490, 84, 47},
                            {kButton, L"SaveAsButton", 128, 490, 148, 47},
                            {kButton, L"RetryButton", 535, 490, 109, 47},
                            {kButton, L"CloseButton", 660, 490, 111, 47},
                            {kButton, L"ExitButton", 755, 22, 21, 21},
                        });
}
