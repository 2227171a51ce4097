// The program's command line: what a start with arguments asks for, its usage text and its exit
// codes. No platform call.
#pragma once

#include <cstddef>

enum CommandKind {
    kCommandNone = 0,        // no arguments: the tray program
    kCommandPlan = 1,        // /plan NAME
    kCommandMode = 2,        // /mode efficiency|balanced|performance
    kCommandNext = 3,        // /next
    kCommandStatus = 4,      // /status
    kCommandUsage = 5,       // /?: print the usage, exit kExitDone
    kCommandUsageError = 6,  // anything else: print the usage, exit kExitUsageError
};

// A plan's name as the system gives it: 255 UTF-16 units and the terminator.
constexpr size_t kCommandNameUnits = 256;

struct CommandLine {
    CommandKind kind;
    int mode;                           // kCommandMode: the mode's place in kPowerModes, else 0
    char16_t name[kCommandNameUnits];   // kCommandPlan: NAME, terminated, never empty; else empty
};

// The process's exit code after a command.
constexpr int kExitDone = 0;
constexpr int kExitUsageError = 1;
constexpr int kExitNotThere = 1;  // no plan of that name or identifier, or no such mode here
constexpr int kExitRefused = 2;   // the system refused the switch

// Reads the arguments as CommandLineToArgvW(GetCommandLineW()) splits them: argv[0] is the
// program and is skipped. A switch starts with '/' or '-' and is read in either case. /plan takes
// exactly one NAME, any text of 1 to 255 units (a plan's name or its braced identifier: the text
// only is taken here); /mode takes efficiency, balanced or performance in either case; /next,
// /status and /? take nothing. A missing or extra argument, an unknown switch or a NAME too long
// is a usage error, never a start of the tray program.
void ParseCommandLine(int argc, const char16_t* const* argv, CommandLine* command);

// The usage, plain ASCII lines ending in CR LF, printed for /? and after a usage error.
extern const char kUsageText[];
