// "config.txt" in the folder held at start-up: the seven settings between runs.
#pragma once

// Writes the live settings; a failure leaves any earlier file whole and is reported.
void SaveConfig();
// Reads the file into the live settings; a plan is taken only when it is installed now.
void LoadConfig();
// The same reading at start-up: a missing or unreadable file leaves the settings as they are,
// shows no message and creates nothing. True when the file was read.
bool LoadSavedConfig();
// The defaults of a first run (no config.txt read) where the platform has power modes: a plan
// the defaults name that is not installed (a Modern Standby laptop ships Balanced alone) gives
// way to its mode, Best Performance for High Performance, Best Power Efficiency for Power
// Saver. Where the plans are installed, or there are no modes, the defaults stay as they are.
void FitDefaultsToMachine();
// Tells whether "config.txt" can be opened for reading, the same way LoadConfig opens it.
bool CanReadConfig();
