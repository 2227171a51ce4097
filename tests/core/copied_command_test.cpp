// The data between a second start and the running Quillmere: written, read back, and refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/copied_command.h"

namespace {

CommandLine Command(CommandKind kind, int mode, const std::u16string& name)
{
    CommandLine command = {kind, mode, {}};
    name.copy(command.name, kCommandNameUnits - 1);
    return command;
}

CopiedCommand Written(const CommandLine& command)
{
    CopiedCommand data;
    EXPECT_TRUE(WriteCopiedCommand(command, &data));
    return data;
}

bool Read(const void* data, size_t size, CommandLine* command)
{
    return ReadCopiedCommand(kCopiedCommandTag, data, size, command);
}

}  // namespace

TEST(CopiedCommand, EachCommandReadsBackFromAnyAlignment)
{
    const CommandLine cases[] = {
        Command(kCommandPlan, 0, u"Quiet Office \U0001F50B"), Command(kCommandPlan, 0, std::u16string(255, u'x')),
        Command(kCommandMode, 2, u""), Command(kCommandNext, 0, u""),
    };
    for (const CommandLine& command : cases) {
        CopiedCommand data = Written(command);
        std::vector<unsigned char> unaligned(sizeof(data) + 1);
        std::memcpy(unaligned.data() + 1, &data, sizeof(data));
        CommandLine read = {};
        ASSERT_TRUE(Read(unaligned.data() + 1, sizeof(data), &read)) << command.kind;
        EXPECT_EQ(read.kind, command.kind);
        EXPECT_EQ(read.mode, command.mode);
        EXPECT_EQ(std::u16string(read.name), std::u16string(command.name));
    }
    CopiedCommand data;
    for (const CommandLine& local : {Command(kCommandNone, 0, u""), Command(kCommandUsage, 0, u""),
                                     Command(kCommandUsageError, 0, u""), Command(kCommandStatus, 0, u""),
                                     Command(kCommandPlan, 0, u""),
                                     Command(kCommandMode, 3, u"")}) {
        EXPECT_FALSE(WriteCopiedCommand(local, &data)) << local.kind;
    }
}

TEST(CopiedCommand, RefusesWhatItDidNotExpect)
{
    const CopiedCommand plan = Written(Command(kCommandPlan, 0, u"Balanced"));
    const CopiedCommand mode = Written(Command(kCommandMode, 1, u""));
    const struct {
        const char* what;
        CopiedCommand data;
        void (*edit)(CopiedCommand*);
    } edits[] = {
        {"no terminator", plan, [](CopiedCommand* d) { std::fill(d->name, d->name + kCommandNameUnits, u'x'); }},
        {"unknown kind", plan, [](CopiedCommand* d) { d->kind = 7; }},
        {"the usage", mode, [](CopiedCommand* d) { d->kind = kCommandUsage; d->mode = 0; }},
        {"no kind", mode, [](CopiedCommand* d) { d->kind = kCommandNone; d->mode = 0; }},
        {"another version", plan, [](CopiedCommand* d) { d->version = 2; }},
        {"a plan without a name", plan, [](CopiedCommand* d) { d->name[0] = u'\0'; }},
        {"a name on /next", plan, [](CopiedCommand* d) { d->kind = kCommandNext; }},
        {"a mode out of range", mode, [](CopiedCommand* d) { d->mode = 3; }},
        {"/status, which the starting process reads itself", mode,
         [](CopiedCommand* d) { d->kind = kCommandStatus; d->mode = 0; }},
    };
    for (const auto& edit : edits) {
        CopiedCommand data = edit.data;
        edit.edit(&data);
        CommandLine command = {};
        EXPECT_FALSE(Read(&data, sizeof(data), &command)) << edit.what;
    }
    // A size other than the layout's (the data itself is whole, so nothing past it is needed),
    // another message's tag, no data.
    std::vector<unsigned char> bytes(sizeof(plan) + 2);
    std::memcpy(bytes.data(), &plan, sizeof(plan));
    CommandLine command = {};
    const size_t whole = sizeof(plan);
    for (size_t size : {size_t{0}, size_t{12}, whole - 2, whole - 1, whole + 1, whole + 2}) {
        EXPECT_FALSE(Read(bytes.data(), size, &command)) << size;
    }
    EXPECT_FALSE(ReadCopiedCommand(kCopiedCommandTag + 1, &plan, sizeof(plan), &command));
    EXPECT_FALSE(Read(nullptr, sizeof(plan), &command));
    EXPECT_EQ(command.kind, kCommandNone);  // untouched by every refusal
}
