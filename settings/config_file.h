// "config.txt" in the folder held at start-up: the seven settings between runs.
#pragma once

// Writes the live settings; a failure leaves any earlier file whole and is reported.
void SaveConfig();
// Reads the file into the live settings; a plan is taken only when it is installed now.
void LoadConfig();
// The same reading at start-up: a missing or unreadable file leaves the settings as they are,
// shows no message and creates nothing.
void LoadSavedConfig();
// Tells whether "config.txt" can be opened for reading, the same way LoadConfig opens it.
bool CanReadConfig();
