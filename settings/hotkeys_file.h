// "hotkeys.txt" beside "config.txt": the global hotkeys between runs.
#pragma once

// Reads the file into the live hotkeys, replacing them; a missing or unreadable file means no
// hotkeys, and a line that cannot be read is skipped, all without a message.
void LoadHotkeys();
// Writes the live hotkeys; a failure leaves any earlier file whole and is reported.
void SaveHotkeys();
