#include "app/exercise/Bubble.h"

#include "app/App.h"
#include "platform/kernel32.h"

#include <boost/bind/bind.hpp>

namespace {

LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

} // namespace

Bubble::Bubble(IMDialogBase<IMEmptyView>* parent)
    : IMAnimationBase<IMSequenceView>(parent, 0),
      launchTime(Now())
{
    hitThreshold = 1;
    for (const wchar_t* frame : {L"103", L"108", L"109", L"110"})
        AddFrame(frame);
    SetFirstFrame(0);
    SetLastFrame(3);

    long (Bubble::*update)() = &Bubble::OnUpdate;
    ConnectClicked(boost::bind(&Bubble::OnMouseDown, this));
    ConnectUpdated(boost::bind(update, this));
    ConnectFinished(boost::bind(&App::LaunchNextBubble, &IMApp<App>::Instance()));
}

Bubble::~Bubble() = default;

void Bubble::Launch(const exercise::Flight& f)
{
    flight = f;
    launchTime = Now();
}

long Bubble::OnMouseDown()
{
    App& app = IMApp<App>::Instance();
    if (!app.run.Pop())
        return 0;
    hitThreshold = 255;
    Play();
    return 0;
}

long Bubble::OnUpdate()
{
    NoteClockDriven();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const float t = exercise::SecondsBetween(launchTime, Now(), frequency.QuadPart);
    const float x = flight.X(t);
    const float y = flight.Y(t);
    SetPosition(exercise::TruncToInt(x), exercise::TruncToInt(y));

    App& app = IMApp<App>::Instance();
    if (!app.mainWindow)
        return 0;
    if (exercise::HasLeftScreen(x, y, GetWidth(), GetHeight(), app.mainWindow->GetWidth(),
                                app.mainWindow->GetHeight()) &&
        app.run.LeftScreen())
        app.LaunchNextBubble();
    return 0;
}
