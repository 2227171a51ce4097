// "programs.txt" beside "config.txt": the program rules between runs.
#pragma once

// Reads the file into the live rules, replacing them; a missing or unreadable file means no
// rules, and a line that cannot be read is skipped, all without a message.
void LoadProgramRules();
// Writes the live rules; a failure leaves any earlier file whole and is reported.
void SaveProgramRules();
