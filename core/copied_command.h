// The data a second start sends the running Quillmere with WM_COPYDATA (a command), and the data
// the running one sends back (its exit code and text), with strict readers: the data come from
// another process and are trusted in nothing. No platform call.
//
// Both layouts hold only fixed-width fields, so a 32-bit and a 64-bit Quillmere read each other.
// A reader takes the data only at exactly the size of its layout (every field has a fixed place,
// so any other size is not ours), copies them out before reading (the data need not be aligned),
// and never reads past size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "command_line.h"

// COPYDATASTRUCT::dwData of each kind of message; any other value is another message.
constexpr uintptr_t kCopiedCommandTag = 0x51434D44;  // "QCMD"
constexpr uintptr_t kCopiedReplyTag = 0x51525059;    // "QRPY"
constexpr uint32_t kCopiedVersion = 1;

struct CopiedCommand {
    uint32_t version;                  // kCopiedVersion
    uint32_t kind;                     // kCommandPlan, kCommandMode, kCommandNext or kCommandStatus
    uint32_t mode;                     // kCommandMode: the mode's place in kPowerModes, else 0
    char16_t name[kCommandNameUnits];  // kCommandPlan: the name, terminated, not empty; else empty
};
static_assert(sizeof(CopiedCommand) == 12 + 2 * kCommandNameUnits, "no padding");

// Fills *data (every byte) for a command another process can carry out; false for none, usage
// and a usage error, which the starting process handles itself (and for an empty name or a mode
// out of range, which ParseCommandLine never gives).
bool WriteCopiedCommand(const CommandLine& command, CopiedCommand* data);

// Takes a received WM_COPYDATA: tag is its dwData, data and size its lpData and cbData. True and
// *command filled only for the tag kCopiedCommandTag, exactly sizeof(CopiedCommand) bytes, this
// version, a kind WriteCopiedCommand writes, a mode in range for kCommandMode and 0 otherwise,
// and a name terminated within its field that is not empty for kCommandPlan and empty otherwise.
bool ReadCopiedCommand(uintptr_t tag, const void* data, size_t size, CommandLine* command);

// What /status prints: the active plan, the mode, the power source, in a few short lines.
constexpr size_t kReplyTextUnits = 512;

struct CopiedReply {
    uint32_t version;                  // kCopiedVersion
    uint32_t exitCode;                 // kExitDone, kExitUsageError (kExitNotThere) or kExitRefused
    char16_t text[kReplyTextUnits];    // terminated; may be empty
};
static_assert(sizeof(CopiedReply) == 8 + 2 * kReplyTextUnits, "no padding");

// Fills *reply (every byte). text may be null; a text longer than the field is cut to
// kReplyTextUnits - 1 units, never between the two halves of a surrogate pair.
void WriteCopiedReply(int exitCode, const char16_t* text, CopiedReply* reply);

// True and *reply filled only for the tag kCopiedReplyTag, exactly sizeof(CopiedReply) bytes,
// this version, one of the three exit codes and a text terminated within its field.
bool ReadCopiedReply(uintptr_t tag, const void* data, size_t size, CopiedReply* reply);
