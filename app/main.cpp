// The trainer's entry point: the application and its window, the title
// screen, the main loop, and the teardown once the loop has ended.
#include "app/App.h"
#include "app/exercise/description.h"
#include "platform/session.h"

int main()
{
    platform::InstallSessionEndHandling();
    App& app = IMApp<App>::Instance(exercise::kInstanceName, 0);
    app.ShowTitleScreen();
    if (app.mainWindow)
        IMWindow::Run(app.mainWindow);
    // A non-zero status tells whoever started the trainer that results were lost.
    return IMApp<App>::Release() ? 0 : 1;
}
