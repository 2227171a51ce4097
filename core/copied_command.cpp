// The command data carried from a start with arguments to the running Quillmere.
#include "copied_command.h"

#include <cstring>

#include "power_modes.h"

// The field holds a terminator; true when it does, with the text's length.
template <size_t N>
static bool IsTerminated(const char16_t (&field)[N], size_t* length)
{
    for (size_t i = 0; i < N; ++i) {
        if (field[i] == u'\0') {
            *length = i;
            return true;
        }
    }
    return false;
}

bool WriteCopiedCommand(const CommandLine& command, CopiedCommand* data)
{
    std::memset(data, 0, sizeof(*data));
    switch (command.kind) {
    case kCommandPlan:
        for (size_t i = 0; i + 1 < kCommandNameUnits && command.name[i] != u'\0'; ++i) {
            data->name[i] = command.name[i];
        }
        if (data->name[0] == u'\0') {
            return false;
        }
        break;
    case kCommandMode:
        if (command.mode < 0 || command.mode >= kPowerModeCount) {
            return false;
        }
        data->mode = static_cast<uint32_t>(command.mode);
        break;
    case kCommandNext:
        break;
    default:
        return false;
    }
    data->version = kCopiedVersion;
    data->kind = command.kind;
    return true;
}

bool ReadCopiedCommand(uintptr_t tag, const void* data, size_t size, CommandLine* command)
{
    if (tag != kCopiedCommandTag || data == nullptr || size != sizeof(CopiedCommand)) {
        return false;
    }
    CopiedCommand copied;
    std::memcpy(&copied, data, sizeof(copied));
    size_t nameLength = 0;
    if (copied.version != kCopiedVersion || !IsTerminated(copied.name, &nameLength)) {
        return false;
    }
    bool planNamed = copied.kind == kCommandPlan ? nameLength > 0 : nameLength == 0;
    bool modeRight = copied.kind == kCommandMode ? copied.mode < static_cast<uint32_t>(kPowerModeCount)
                                                 : copied.mode == 0;
    bool known = copied.kind == kCommandPlan || copied.kind == kCommandMode || copied.kind == kCommandNext;
    if (!known || !planNamed || !modeRight) {
        return false;
    }
    command->kind = static_cast<CommandKind>(copied.kind);
    command->mode = static_cast<int>(copied.mode);
    std::memcpy(command->name, copied.name, sizeof(command->name));
    return true;
}
