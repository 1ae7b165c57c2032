// Path pieces as the C library's path splitting gives them.
#pragma once

// The extension of the file name (from its last dot, dot included), or "".
const char* FileExtension(const char* path);
// True when a file can be opened for reading at the native path.
bool FileExists(const char* path);
// The loader's choice between archive and plain text: a name ending in ".zip",
// or in ".zip.bak" (any case). Needs no memory: when memory has run out, an
// archive must not be taken for plain text.
bool IsArchivePath(const char* path);
