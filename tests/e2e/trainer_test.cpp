// The trainer as a pupil and a teacher use it: the real program on an X
// server of the test's own, driven only by keys, typing and clicks, watched
// only through screenshots, and judged by the results file it leaves.
#include "e2e/processes.h"
#include "e2e/screen.h"
#include "support/private_cupsd.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

namespace {

using e2e::Image;

const std::string kPupil = "Иван Пётров";
const std::string kResultsFile = "07342 Тренажер «Кварлоп».xls";
const std::string kQueue = "Kabinet";
// Bubbles in a run, as the settings page sets them.
const int kBubbles = 3;
// Everything a screen needs to appear, however loaded the machine is.
const double kScreenSeconds = 120;

std::string Picture(const std::string& name)
{
    return std::string(KVARLOP_SOURCE_DIR) + "/assets/images/" + name + ".png";
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && st.st_size > 0;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

using Rows = std::vector<std::vector<std::string>>;

// The rows of the pupil's worksheet, each as its cells' texts (an empty
// row has none); how many worksheets bear that name goes to `sheets`.
Rows SheetRows(const std::string& workbook, const std::string& pupil, int* sheets)
{
    const std::string open = "<Worksheet ss:Name=\"" + pupil + "\">";
    *sheets = 0;
    for (size_t at = workbook.find(open); at != std::string::npos; at = workbook.find(open, at + 1))
        ++*sheets;
    Rows rows;
    const size_t begin = workbook.find(open);
    if (begin == std::string::npos)
        return rows;
    const std::string sheet = workbook.substr(begin, workbook.find("</Worksheet>", begin) - begin);
    static const std::regex row("<Row(/>|[ >][\\s\\S]*?</Row>)");
    static const std::regex data("<Data[^>]*>([^<]*)</Data>");
    for (std::sregex_iterator r(sheet.begin(), sheet.end(), row), end; r != end; ++r) {
        const std::string text = r->str();
        std::vector<std::string> cells;
        for (std::sregex_iterator d(text.begin(), text.end(), data); d != end; ++d)
            cells.push_back((*d)[1]);
        rows.push_back(cells);
    }
    return rows;
}

// The seven rows of one finished run, from `first`: the start, the three
// statistics, the F1 count, the seconds and the empty row.
void ExpectRunRows(const Rows& rows, size_t first, double longestSeconds)
{
    ASSERT_GE(rows.size(), first + 7);
    const std::vector<std::vector<std::string>> run(rows.begin() + long(first),
                                                    rows.begin() + long(first) + 7);
    ASSERT_EQ(2u, run[0].size());
    EXPECT_EQ("Время начала работы с упражнением", run[0][0]);
    EXPECT_TRUE(std::regex_match(run[0][1], std::regex(R"(\d\d-[A-Z][a-z]+-\d{4} \d\d:\d\d)")))
        << run[0][1];
    ASSERT_EQ(2u, run[1].size());
    EXPECT_EQ("Число пропущенных пузырей", run[1][0]);
    EXPECT_EQ("0", run[1][1]);
    ASSERT_EQ(2u, run[2].size());
    EXPECT_EQ("Число промахов", run[2][0]);
    EXPECT_TRUE(std::regex_match(run[2][1], std::regex(R"(\d+)"))) << run[2][1];
    ASSERT_EQ(2u, run[3].size());
    EXPECT_EQ("Среднее время полета пузыря", run[3][0]);
    EXPECT_TRUE(std::regex_match(run[3][1], std::regex(R"([1-9]\d* мсек)"))) << run[3][1];
    // At the slowest speed a bubble needs more than three seconds to bring
    // its middle 30 pixels onto the screen, where it is clicked.
    EXPECT_GE(std::atol(run[3][1].c_str()), 2000) << run[3][1];
    ASSERT_EQ(2u, run[4].size());
    EXPECT_EQ("Количество дополнительных вызовов инструкций", run[4][0]);
    EXPECT_EQ("0", run[4][1]);
    ASSERT_EQ(2u, run[5].size());
    EXPECT_EQ("Общее время работы с упражнением. с.", run[5][0]);
    // The bubbles take some seconds to fly; the run lasted no longer than
    // the test watched it.
    const long seconds = std::atol(run[5][1].c_str());
    EXPECT_GE(seconds, 3);
    EXPECT_LE(seconds, long(std::ceil(longestSeconds)) + 2);
    EXPECT_TRUE(run[6].empty());
}

class TrainerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kvarlop-e2e-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
        ASSERT_TRUE(server.Start(dir + "/xvfb.log")) << server.Failure();
        setenv("DISPLAY", server.Display().c_str(), 1);
        background = e2e::LoadPicture(Picture("102"));
        start = e2e::LoadPicture(Picture("StartPopStartButton"));
        print = e2e::LoadPicture(Picture("PrintButton"));
        saveAs = e2e::LoadPicture(Picture("SaveAsButton"));
        retry = e2e::LoadPicture(Picture("RetryButton"));
        cloud = e2e::LoadPicture(Picture("oblako_png"));
        submit = e2e::LoadPicture(Picture("SubmitButton"));
        cancel = e2e::LoadPicture(Picture("CancelButton"));
        exitButton = e2e::LoadPicture(Picture("ExitButton"));
        for (const Image* p :
             {&background, &start, &print, &saveAs, &retry, &cloud, &submit, &cancel, &exitButton})
            ASSERT_FALSE(p->Empty()) << "ImageMagick could not read the program's pictures";
    }

    std::string ResultsPath() const { return dir + "/data/ZEMT/" + kResultsFile; }

    void StartTrainer()
    {
        const std::string program = KVARLOP_EXECUTABLE;
        ASSERT_TRUE(trainer.Start({program},
                                  {{"DISPLAY", server.Display()},
                                   {"SDL_VIDEODRIVER", "x11"},
                                   {"SDL_AUDIODRIVER", "dummy"},
                                   {"XDG_DATA_HOME", dir + "/data"}},
                                  program.substr(0, program.rfind('/')), dir + "/kvarlop.log"));
        startedAt = e2e::Now();
    }

    // Polls screenshots until `shows` holds; on time-out the last one is kept
    // beside the trainer's log.
    bool WaitFor(const std::string& what, const std::function<bool(const Image&)>& shows,
                 double seconds = kScreenSeconds, const std::function<void()>& meanwhile = {})
    {
        const double end = e2e::Now() + seconds;
        Image last;
        while (e2e::Now() < end) {
            last = e2e::Capture();
            if (shows(last))
                return true;
            if (!trainer.Running()) {
                ADD_FAILURE() << "the trainer ended while waiting for " << what << "\n"
                              << ReadAll(dir + "/kvarlop.log");
                return false;
            }
            if (meanwhile)
                meanwhile();
            e2e::SleepSeconds(0.1);
        }
        const std::string shot = dir + "/timeout.png";
        e2e::SavePicture(last, shot);
        ADD_FAILURE() << "no " << what << " within " << seconds << " s; last screen: " << shot;
        return false;
    }

    bool TitleShown(const Image& s) const { return e2e::ShowsAt(s, start, 690, 450); }
    // The exercise starts on its bare background, its first bubble just
    // entering; the instruction always shows more over it.
    bool ExerciseShown(const Image& s) const { return e2e::ShareLike(s, background) > 0.85; }
    bool ResultsShown(const Image& s) const
    {
        return e2e::ShowsAt(s, print, 30, 490) && e2e::ShowsAt(s, retry, 535, 490);
    }

    static void Tool(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv{"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        ASSERT_TRUE(e2e::RunTool(argv));
    }
    // Characters missing from the keyboard's layout are typed by xdotool
    // through a key it binds for a moment, which a program reading the key
    // after the binding is undone loses: the layout holds what is typed.
    static void Layout(const std::string& layout)
    {
        ASSERT_TRUE(e2e::RunTool({"setxkbmap", layout}));
    }
    // Clicks, then moves the pointer off every button, so that a hovered
    // skin never hides the one a check looks for.
    static void Click(int x, int y)
    {
        Tool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
        Tool({"mousemove", "400", "210"});
    }

    void Type(const std::string& text) { Tool({"type", "--delay", "40", text}); }
    bool BackOnTitle(const std::string& from)
    {
        return WaitFor("title screen after " + from,
                       [this](const Image& s) { return TitleShown(s); });
    }

    // The settings page from Options: bubbles as big as the screen allows
    // and at the slowest speed, so that one stays on the screen for many
    // seconds and is found and clicked however loaded the machine is. Bar 1
    // has the caret; a click puts it in another bar.
    void SlowTheRun()
    {
        Click(665 + 54, 510 + 23);
        ASSERT_TRUE(WaitFor("settings page",
                            [this](const Image& s) { return e2e::ShowsAt(s, submit, 500, 500); }));
        const struct {
            int x, y;
            std::string value;
        } bars[] = {{310, 135, "300"}, {675, 135, "300"}, {310, 175, "1"}, {675, 175, "1"},
                    {310, 215, std::to_string(kBubbles)}};
        for (const auto& bar : bars) {
            Tool({"mousemove", std::to_string(bar.x + 55), std::to_string(bar.y + 10), "click",
                  "1"});
            Tool({"key", "--repeat", "6", "--delay", "20", "Right"});
            Tool({"key", "--repeat", "6", "--delay", "20", "BackSpace"});
            Type(bar.value);
        }
        Click(500 + 54, 500 + 23);
        ASSERT_TRUE(BackOnTitle("the settings page"));
    }

    // From the title screen to the results screen: the run slowed on the
    // settings page, the name typed (in parts between F1, F12 with Cancel
    // and Ctrl+I when `visitEverything`), the instruction skipped, every
    // bubble popped, the praise.
    void RunExercise(bool visitEverything = false)
    {
        ASSERT_TRUE(WaitFor("title screen", [this](const Image& s) { return TitleShown(s); }));
        Tool({"mousemove", "400", "300"});
        Layout("ru");
        if (!visitEverything) {
            SlowTheRun();
            ASSERT_FALSE(HasFatalFailure());
            Type(kPupil);
        } else {
            // The name's parts; what each visit leaves must let typing go on.
            Type("Ив");
            SlowTheRun();
            ASSERT_FALSE(HasFatalFailure());
            Type("ан");
            // The instruction again over the title; the next key ends it.
            Tool({"key", "F1"});
            ASSERT_TRUE(
                WaitFor("instruction after F1", [this](const Image& s) { return !TitleShown(s); }));
            Tool({"key", "Escape"});
            ASSERT_TRUE(BackOnTitle("F1"));
            Type(" П");
            // The exit dialog, left with Cancel ("Отмена").
            Tool({"key", "F12"});
            ASSERT_TRUE(WaitFor("exit dialog", [this](const Image& s) {
                return e2e::ShowsAt(s, cancel, 332 + 10, 200 + 140);
            }));
            Click(332 + 10 + 55, 200 + 140 + 23);
            ASSERT_TRUE(BackOnTitle("Cancel"));
            Type("ёт");
            // The credits, by the I key as the Russian layout names it,
            // Ctrl held as a person holds it: until the credits show.
            Tool({"keydown", "ctrl", "key", "Cyrillic_sha"});
            const bool credits = WaitFor("credits", [this](const Image& s) {
                return !TitleShown(s) && e2e::ShowsAt(s, exitButton, 755, 22);
            });
            Tool({"keyup", "ctrl"});
            ASSERT_TRUE(credits);
            Click(755 + 10, 22 + 10);
            ASSERT_TRUE(BackOnTitle("the credits"));
            Type("ров");
        }
        Tool({"key", "Return"});
        ASSERT_TRUE(WaitFor("instruction", [this](const Image& s) { return !TitleShown(s); }));
        // The instruction runs much longer than this; a lost Esc is pressed again.
        Tool({"key", "Escape"});
        double lastEsc = e2e::Now();
        ASSERT_TRUE(WaitFor(
            "exercise", [this](const Image& s) { return ExerciseShown(s); }, kScreenSeconds,
            [&lastEsc] {
                if (e2e::Now() - lastEsc > 8) {
                    Tool({"key", "Escape"});
                    lastEsc = e2e::Now();
                }
            }));
        PopBubbles();
        ASSERT_TRUE(WaitFor("results screen", [this](const Image& s) { return ResultsShown(s); }));
    }

    // Finds the bubble on two screenshots and clicks where its straight
    // flight takes it by the time the click lands, once its middle is on
    // the screen. At the slowest speed it moves 50 pixels a second, so even
    // a click a second late lands well inside it; a click that misses is
    // only counted as one, and the bubble is still there for the next. A
    // bubble standing still is bursting (or is the praise's cloud) and is
    // left alone.
    void PopBubbles()
    {
        const double end = e2e::Now() + 300;
        e2e::Bubble previous;
        double previousTime = 0;
        double latency = 0.05;
        // The instruction may start on an almost bare background too: while
        // nothing has been popped for a while, Esc again (the exercise
        // ignores it).
        double lastAction = e2e::Now();
        while (e2e::Now() < end) {
            if (!praiseSeen && e2e::Now() - lastAction > 6) {
                Tool({"key", "Escape"});
                lastAction = e2e::Now();
            }
            const Image shot = e2e::Capture();
            ASSERT_FALSE(shot.Empty()) << "no screenshot";
            if (e2e::ShowsAt(shot, cloud, 0, 0))
                praiseSeen = true;
            if (ResultsShown(shot))
                return;
            ASSERT_TRUE(trainer.Running()) << ReadAll(dir + "/kvarlop.log");
            const e2e::Bubble now = e2e::FindBubble(shot, background);
            const double dt = shot.time - previousTime;
            if (!now.found || !previous.found || dt > 3.0) {
                previous = now;
                previousTime = shot.time;
                continue;
            }
            const double vx = (now.x - previous.x) / dt, vy = (now.y - previous.y) / dt;
            const double speed = std::hypot(vx, vy);
            previous = now;
            previousTime = shot.time;
            // Another bubble since the last look, or one standing still.
            if (speed > 300 || speed < 15)
                continue;
            const double ahead = e2e::Now() - shot.time + latency;
            const double x = now.x + vx * ahead, y = now.y + vy * ahead;
            if (x < 30 || x > 770 || y < 30 || y > 570)
                continue;
            const double before = e2e::Now();
            Tool({"mousemove", std::to_string(std::lround(x)), std::to_string(std::lround(y)),
                  "click", "1"});
            latency = (latency + (e2e::Now() - before)) / 2;
            lastAction = e2e::Now();
            ++clicks;
            previous = e2e::Bubble();
            // The burst drifts on for a few frames: not a bubble to click again.
            e2e::SleepSeconds(1.0);
        }
        FAIL() << "the run did not end within 300 s";
    }

    void TearDown() override
    {
        if (trainer.Running()) {
            trainer.Signal(SIGKILL);
            trainer.Wait(30, nullptr);
        }
        // A failed test leaves its screenshots, logs and results for a look.
        if (!dir.empty() && !HasFailure())
            std::filesystem::remove_all(dir);
    }

    std::string dir;
    e2e::XServer server;
    e2e::Child trainer;
    double startedAt = 0;
    Image background, start, print, saveAs, retry, cloud, submit, cancel, exitButton;
    bool praiseSeen = false;
    int clicks = 0;
};

TEST_F(TrainerTest, APupilsRunIsSavedSavedElsewherePrintedAndKeptOnExit)
{
    std::unique_ptr<testsupport::PrivateCupsd> cupsd;
    if (testsupport::PrivateCupsd::CanRun()) {
        cupsd = std::make_unique<testsupport::PrivateCupsd>();
        ASSERT_TRUE(cupsd->Running()) << cupsd->Failure();
        ASSERT_TRUE(cupsd->AddPdfQueue(kQueue, true)) << cupsd->Failure();
    }
    StartTrainer();
    RunExercise(true);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(praiseSeen);
    const double runSeconds = e2e::Now() - startedAt;

    // Save As opens with the workbook's own path; a path of our own replaces it.
    Click(128 + 74, 490 + 23);
    ASSERT_TRUE(WaitFor("Save As dialog",
                        [this](const Image& s) { return e2e::ShowsAt(s, saveAs, 250, 304); }));
    const std::string copy = dir + "/copy.xls";
    Tool({"key", "--repeat", "300", "--delay", "2", "BackSpace"});
    Layout("us");
    Tool({"type", "--delay", "20", copy});
    Click(250 + 74, 304 + 23);
    ASSERT_TRUE(WaitFor("Save As dialog closing", [this](const Image& s) {
        return ResultsShown(s) && !e2e::ShowsAt(s, saveAs, 250, 304);
    }));
    for (double end = e2e::Now() + 30; !Exists(copy) && e2e::Now() < end;)
        e2e::SleepSeconds(0.1);
    ASSERT_TRUE(Exists(copy));

    if (cupsd) {
        Click(30 + 42, 490 + 23);
        ASSERT_TRUE(WaitFor("printer dialog",
                            [this](const Image& s) { return e2e::ShowsAt(s, print, 250, 304); }));
        Click(250 + 42, 304 + 23);
        ASSERT_TRUE(WaitFor("printer dialog closing",
                            [this](const Image& s) { return !e2e::ShowsAt(s, print, 250, 304); }));
        // The first job of a service of our own.
        ASSERT_TRUE(cupsd->WaitForJob(1)) << cupsd->Failure();
        const std::vector<std::string> spooled = cupsd->SpooledDocuments(1);
        ASSERT_EQ(1u, spooled.size());
        const std::string text = testsupport::PdfText(spooled[0]);
        EXPECT_NE(std::string::npos, text.find(kPupil)) << text;
        EXPECT_NE(std::string::npos, text.find("Число пропущенных пузырей")) << text;
    } else {
        std::cerr << "printing not tried: a print service of our own needs root\n";
    }

    Click(755 + 10, 22 + 10);
    int status = -1;
    ASSERT_TRUE(trainer.Wait(60, &status)) << "Exit did not end the trainer";
    EXPECT_EQ(0, status) << ReadAll(dir + "/kvarlop.log");

    int sheets = 0;
    const Rows rows = SheetRows(ReadAll(ResultsPath()), kPupil, &sheets);
    EXPECT_EQ(1, sheets);
    ASSERT_EQ(7u, rows.size());
    ExpectRunRows(rows, 0, runSeconds);
    // Misses are clicks that popped nothing (a click on a bubble already
    // bursting is neither).
    EXPECT_LE(std::atoi(rows[2][1].c_str()), clicks - kBubbles);
    int copySheets = 0;
    EXPECT_EQ(rows, SheetRows(ReadAll(copy), kPupil, &copySheets));
}

TEST_F(TrainerTest, RunsOfOnePupilAddUpAndSurviveAltF4AKillAndTheDisplayGoing)
{
    StartTrainer();
    RunExercise();
    ASSERT_FALSE(HasFatalFailure());
    const double firstSeconds = e2e::Now() - startedAt;
    Tool({"key", "alt+F4"});
    int status = -1;
    ASSERT_TRUE(trainer.Wait(60, &status)) << "Alt+F4 did not end the trainer";
    EXPECT_EQ(0, status) << ReadAll(dir + "/kvarlop.log");
    int sheets = 0;
    Rows rows = SheetRows(ReadAll(ResultsPath()), kPupil, &sheets);
    ASSERT_EQ(7u, rows.size());
    ExpectRunRows(rows, 0, firstSeconds);

    // The second run's rows are on disk once its results show: a kill loses none.
    StartTrainer();
    RunExercise();
    ASSERT_FALSE(HasFatalFailure());
    const double secondSeconds = e2e::Now() - startedAt;
    trainer.Signal(SIGKILL);
    ASSERT_TRUE(trainer.Wait(60, &status));
    EXPECT_EQ(128 + SIGKILL, status);
    rows = SheetRows(ReadAll(ResultsPath()), kPupil, &sheets);
    EXPECT_EQ(1, sheets);
    ASSERT_EQ(14u, rows.size());
    ExpectRunRows(rows, 0, firstSeconds);
    ExpectRunRows(rows, 7, secondSeconds);

    // The display going away ends the trainer; nothing is lost, so its status
    // is that of an ordinary end.
    StartTrainer();
    ASSERT_TRUE(WaitFor("title screen", [this](const Image& s) { return TitleShown(s); }));
    server.Stop();
    ASSERT_TRUE(trainer.Wait(60, &status)) << "the trainer outlived its display";
    EXPECT_EQ(0, status) << ReadAll(dir + "/kvarlop.log");
    EXPECT_EQ(14u, SheetRows(ReadAll(ResultsPath()), kPupil, &sheets).size());
}

} // namespace
