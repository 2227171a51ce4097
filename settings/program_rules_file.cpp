#include "settings/program_rules_file.h"

#include "base/app_state.h"
#include "base/data_file.h"

void LoadProgramRules()
{
    LoadDataList(kProgramsFile, &app.programRules, ReadProgramRules);
}

void SaveProgramRules()
{
    SaveDataList(kProgramsFile, app.programRules, FormatProgramRules);
}
