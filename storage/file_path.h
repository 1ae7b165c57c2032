// Path pieces as the C library's path splitting gives them.
#pragma once

// The extension of the file name (from its last dot, dot included), or "".
const char* FileExtension(const char* path);
// True when a file can be opened for reading at the native path.
bool FileExists(const char* path);
