#include "settings/modeless_dialog.h"

HWND OpenModelessDialog(HWND owner, WORD resource, DLGPROC procedure, HWND* window)
{
    if (*window != nullptr && IsWindowVisible(*window)) {
        SetForegroundWindow(*window);
        return nullptr;
    }
    if (*window == nullptr)
        *window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), owner,
                                     procedure, 0);
    return *window;
}

void PresentModelessDialog(HWND window)
{
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}
