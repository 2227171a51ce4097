// The per-user Run value that starts the program at log-on. The registry value is the only
// record of it; it is queried afresh each time.
#pragma once

// 1 when the value exists (of any type, with any data) and the key closed cleanly, else 0.
int IsInStartup();
// Creates or replaces the value with this program's quoted path; failures are reported.
void AddToStartup();
// Deletes the value; a failure is reported.
void RemoveFromStartup();
