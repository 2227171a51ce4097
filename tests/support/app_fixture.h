// The program's window, created from its real dialog resource with the real window procedure,
// over a fresh AppState and a fresh scripted power manager.
#pragma once

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/startup.h"
#include "support/scripted_power.h"

// Dispatches every pending message; a WM_QUIT is taken off the queue and its code returned
// (-1 when none came).
int PumpMessages();

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    HWND window = nullptr;
};
