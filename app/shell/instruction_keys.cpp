#include "app/shell/IMApp.h"

long OnEscCloseDialog(const IMKeyboardEvent& e, IMDialogBase<IMEmptyView>* dialog, bool* flag)
{
    if (e.wParam == VK_ESCAPE) {
        dialog->Close();
        *flag = false;
    }
    return 0;
}

long CloseReplayDialog(IMDialogBase<IMEmptyView>* dialog, bool* flag)
{
    dialog->Close();
    *flag = false;
    return 0;
}

long HidePointerAgain()
{
    ShowCursor(FALSE);
    return 0;
}
