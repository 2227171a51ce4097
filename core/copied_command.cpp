// The command and reply data carried between two Quillmere processes.
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
    case kCommandStatus:
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
    bool known = copied.kind == kCommandPlan || copied.kind == kCommandMode || copied.kind == kCommandNext ||
                 copied.kind == kCommandStatus;
    if (!known || !planNamed || !modeRight) {
        return false;
    }
    command->kind = static_cast<CommandKind>(copied.kind);
    command->mode = static_cast<int>(copied.mode);
    std::memcpy(command->name, copied.name, sizeof(command->name));
    return true;
}

void WriteCopiedReply(int exitCode, const char16_t* text, CopiedReply* reply)
{
    std::memset(reply, 0, sizeof(*reply));
    reply->version = kCopiedVersion;
    reply->exitCode = static_cast<uint32_t>(exitCode);
    size_t length = 0;
    while (text != nullptr && length + 1 < kReplyTextUnits && text[length] != u'\0') {
        length++;
    }
    // Cut before a first half whose second half did not fit.
    if (length > 0 && text[length] != u'\0' && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) {
        length--;
    }
    if (length > 0) {
        std::memcpy(reply->text, text, length * sizeof(char16_t));
    }
}

bool ReadCopiedReply(uintptr_t tag, const void* data, size_t size, CopiedReply* reply)
{
    if (tag != kCopiedReplyTag || data == nullptr || size != sizeof(CopiedReply)) {
        return false;
    }
    CopiedReply copied;
    std::memcpy(&copied, data, sizeof(copied));
    size_t length = 0;
    if (copied.version != kCopiedVersion || copied.exitCode > static_cast<uint32_t>(kExitRefused) ||
        !IsTerminated(copied.text, &length)) {
        return false;
    }
    *reply = copied;
    return true;
}
