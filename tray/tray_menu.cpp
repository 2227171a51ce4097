#include "tray/tray_menu.h"

void ShowTrayMenu(HWND)
{
}

void TurnDisplayOff()
{
}

void ToggleComposition()
{
}

void RunPlanCommand(WORD)
{
}
