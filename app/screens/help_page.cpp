#include "app/screens/help_page.h"

#include "framework/window/IMWindow.h"

#include <boost/bind/bind.hpp>

namespace screens {

namespace {

long TimeUp(Dialog* dialog, const boost::function<void()>& beforeClose)
{
    if (beforeClose)
        beforeClose();
    dialog->Close();
    return 0;
}

long RemoveTimer(IMWindow* window, int timer)
{
    window->RemoveTimer(timer);
    return 0;
}

} // namespace

int BuildHelpPage(Dialog* dialog, IMWindow* window, const boost::function<void()>& beforeClose)
{
    AddBackground(dialog);
    AddCentredLine(dialog, L"трувель", 18, false, 20);
    AddCentredLine(dialog, L"Справка", 24, false, 100);
    if (!window)
        return 0;
    const int timer = window->AddTimer(kHelpPageMilliseconds);
    // Bound to the dialog: once it is gone, a late tick reaches nothing.
    window->ConnectTimer(timer, boost::bind(&TimeUp, dialog, beforeClose));
    dialog->ConnectClosing(boost::bind(&RemoveTimer, window, timer));
    return timer;
}

} // namespace screens
