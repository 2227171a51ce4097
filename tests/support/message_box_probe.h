// Watching the program's message boxes. MessageBoxProbe answers every MessageBoxW call with
// IDOK without showing anything; RealMessageBoxCatcher lets the real box come up and presses
// its OK button once the box has been built, so the text read is what the user would see.
#pragma once

#include <string>
#include <vector>

#include "base/platform.h"
#include "support/import_hook.h"

struct MessageBoxCall {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;  // for real boxes: MB_OK when OK is the one button
};

class MessageBoxProbe {
public:
    MessageBoxProbe();
    ~MessageBoxProbe();
    std::vector<MessageBoxCall> calls;

private:
    ImportHook hook_;
};

class RealMessageBoxCatcher {
public:
    RealMessageBoxCatcher();
    ~RealMessageBoxCatcher();
    std::vector<MessageBoxCall> boxes;

private:
    HHOOK hook_ = nullptr;
};
