// The data a start with arguments sends the running Quillmere with WM_COPYDATA (a command), with a
// strict reader: the data come from another process and are trusted in nothing. The running one
// answers with the message's result alone (1 + the exit code). No platform call.
//
// The layout holds only fixed-width fields, so a 32-bit and a 64-bit Quillmere read each other.
// The reader takes the data only at exactly the size of its layout (every field has a fixed place,
// so any other size is not ours), copies them out before reading (the data need not be aligned),
// and never reads past size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "command_line.h"

// COPYDATASTRUCT::dwData of a command; any other value is another message.
constexpr uintptr_t kCopiedCommandTag = 0x51434D44;  // "QCMD"
constexpr uint32_t kCopiedVersion = 1;

struct CopiedCommand {
    uint32_t version;                  // kCopiedVersion
    uint32_t kind;                     // kCommandPlan, kCommandMode or kCommandNext
    uint32_t mode;                     // kCommandMode: the mode's place in kPowerModes, else 0
    char16_t name[kCommandNameUnits];  // kCommandPlan: the name, terminated, not empty; else empty
};
static_assert(sizeof(CopiedCommand) == 12 + 2 * kCommandNameUnits, "no padding");

// Fills *data (every byte) for a command that switches; false for none, /status, usage and a
// usage error, which the starting process handles itself (and for an empty name or a mode
// out of range, which ParseCommandLine never gives).
bool WriteCopiedCommand(const CommandLine& command, CopiedCommand* data);

// Takes a received WM_COPYDATA: tag is its dwData, data and size its lpData and cbData. True and
// *command filled only for the tag kCopiedCommandTag, exactly sizeof(CopiedCommand) bytes, this
// version, a kind WriteCopiedCommand writes, a mode in range for kCommandMode and 0 otherwise,
// and a name terminated within its field that is not empty for kCommandPlan and empty otherwise.
bool ReadCopiedCommand(uintptr_t tag, const void* data, size_t size, CommandLine* command);
