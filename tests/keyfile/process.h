// Starting, killing and waiting for a helper program that lies beside the test program.
#pragma once

#include <string>
#include <vector>

namespace kt {

struct Process {
    long long handle = 0; // process id, or HANDLE on Windows
};

// Starts the program `name` (without extension) from the folder of the running program.
Process spawn(const std::string& name, const std::vector<std::string>& args);
// Ends it at once, as a crash would.
void kill(Process& p);
// Waits for it to end and answers its exit code.
int wait(Process& p);
// Waits up to ms milliseconds for a file to appear.
bool wait_for_file(const std::string& path, int ms);
// A fresh folder for one test's files (ends with the path separator).
std::string temp_folder(const std::string& tag);
// What SQLite's integrity check says of the library file at path ("ok" when sound, "<failed>" when unreadable).
std::string integrity(const std::string& path);

} // namespace kt
