// Replacing a file so that a failure at any point leaves the previous file whole:
// the new content goes to a temporary file beside the target, reaches the disk,
// and only then takes the target's name.
#pragma once
#include <cstdio>
#include <string>

// A new, empty file beside `target` (its name is `target` followed by
// ".saving-" and a unique suffix), open for binary writing, with the target's
// permissions when the target exists. Null on failure.
std::FILE* CreateFileBeside(const char* target, std::string& temporaryPath);
// Flushes the C library's buffer and the system's cache of the file to the disk.
bool FlushToDisk(std::FILE* file);
// Gives `temporary` the name `target` in one step, replacing an existing target.
bool ReplaceFileWith(const char* temporary, const char* target);
// True when the file exists and may not be written: its read-only attribute or
// permissions say so, whoever the user is.
bool IsReadOnlyFile(const char* path);
