#include "settings/program_rules_file.h"

#include "app/app_state.h"
#include "settings/text_file.h"

// Beside "config.txt", in the folder held at start-up.
static const wchar_t kProgramsName[] = L"programs.txt";
static const wchar_t kNewProgramsName[] = L"programs.txt.new";

void LoadProgramRules()
{
    app.programRules.clear();
    char* bytes = nullptr;
    DWORD length = 0;
    if (ReadWholeFile(kProgramsName, &bytes, &length))
        ReadProgramRules(bytes, length, &app.programRules);
    FreeWholeFile(bytes);
}

void SaveProgramRules()
{
    std::vector<char> text;
    FormatProgramRules(app.programRules, &text);
    if (!ReplaceWholeFile(kProgramsName, kNewProgramsName, text.data(),
                          static_cast<DWORD>(text.size())))
        MessageBoxW(nullptr, L"Could not open programs.txt! The program rules could not be saved.",
                    L"Oh snap!", MB_OK);
}
