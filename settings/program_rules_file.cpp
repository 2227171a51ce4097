#include "settings/program_rules_file.h"

#include "base/app_state.h"
#include "base/data_file.h"

void LoadProgramRules()
{
    app.programRules.clear();
    char* bytes = nullptr;
    DWORD length = 0;
    if (ReadDataFile(kProgramsFile, &bytes, &length))
        ReadProgramRules(bytes, length, &app.programRules);
    FreeDataFile(bytes);
}

void SaveProgramRules()
{
    std::vector<char> text;
    FormatProgramRules(app.programRules, &text);
    SaveDataFile(kProgramsFile, text.data(), static_cast<DWORD>(text.size()));
}
