// Process and host identity through the socket library, as the row-id generator needs it.
#pragma once
#include <cstddef>
#include <string>

// Starts the socket library (version 2.0 on the real platform); false if it cannot start.
bool StartSocketLibrary();
void StopSocketLibrary();
// Copies the host name into the buffer (at most `size` bytes); false on failure.
bool ReadHostName(char* buffer, size_t size);
int CurrentProcessId();
// The full path of the running program; the modules linked into it share it.
std::string ExecutablePath();
