// Watches what the program hands the shell's notification area: each Shell_NotifyIconW call
// with a copy of the record, and each DestroyIcon, both named by the icon resource the handle
// was loaded from. Calls go on to the real platform.
#pragma once

#include <vector>

#include "support/app_fixture.h"
#include "support/import_hook.h"

struct TrayEvent {
    bool released;            // a DestroyIcon call rather than a Shell_NotifyIconW call
    DWORD operation;          // NIM_ADD, NIM_MODIFY or NIM_DELETE
    NOTIFYICONDATAW record;   // as the shell was given it (hIcon only for a release)
    WORD iconId;              // resource the icon handle came from, 0 when none
    int pictureSize;          // width of the icon's bitmap in pixels, 0 when none
};

extern std::vector<TrayEvent> trayEvents;

// The shell as at log-on: the next refusedTrayAdds NIM_ADD calls fail. With refusedAddsTaken
// each still reaches the shell, which takes the icon but answers too late.
extern int refusedTrayAdds;
extern bool refusedAddsTaken;

// Only the Shell_NotifyIconW calls, in order.
std::vector<TrayEvent> TrayCalls();

// Hooks LoadImageW, Shell_NotifyIconW and DestroyIcon for its lifetime, before the window is
// made, and starts the program with High performance active, so the picture of the add (111)
// and the plan's own (109) differ. The shell takes every add until a test says otherwise.
class TrayFixture : public AppFixture {
protected:
    TrayFixture();
    void SetUp() override;
    ImportHook loadHook;
    ImportHook notifyHook;
    ImportHook destroyHook;
};

// Counts the Shell_NotifyIconW calls made while it lives, passing none on to the shell: for code
// that must show nothing.
class TrayCallCounter {
public:
    TrayCallCounter();
    bool installed() const { return hook_.installed(); }
    int calls() const;

private:
    ImportHook hook_;
};
