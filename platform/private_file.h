// Files in shared folders such as the temporary folder, where another user may
// have planted a file or a symbolic link under a name that can be guessed.
#pragma once
#include <string>

// Creates a new empty file, readable and writable by this user only, under an
// unpredictable name that begins with `prefix` (a native path); empty on failure.
std::string CreatePrivateFile(const std::string& prefix);

// Writes `content` to a new file under an unpredictable name beside `path`,
// then renames it to `path`: whatever stood there, a symbolic link included, is
// replaced and never written through.
bool WriteReplacingEntry(const std::string& path, const std::string& content);
