// The settings window, created from its real dialog resource with the real window procedure,
// over a fresh AppState and a fresh scripted power manager.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/launch.h"
#include "base/app_state.h"
#include "base/messages.h"
#include "power/plan_catalogue.h"
#include "support/scripted_power.h"

// Dispatches every pending message; a WM_QUIT is taken off the queue and its code returned
// (-1 when none came).
int PumpMessages();
// The lines of a dialog's list box, in order.
std::vector<std::wstring> ListBoxLines(HWND dialog, int listBox);
// A command as a control of a dialog sends it.
void SendDialogCommand(HWND dialog, WORD id, WORD code = 0);

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Shapes the scripted power manager before the window is made (a machine with modes, say).
    virtual void PreparePower() {}
    // A command as a menu item, a button or a control sends it to the window.
    void Command(WORD id, WORD code = 0) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), 0); }
    HWND window = nullptr;
};
