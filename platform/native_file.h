// Files named by native paths (UTF-8 text): the C library's file calls, which on
// Windows are given the name as wide text so that a name outside the system's
// ANSI code page still works.
#pragma once
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

std::FILE* OpenNativeFile(const std::string& path, const char* mode);
// The same for a name converted beforehand (FileSystemPath): it needs no
// memory, for a file written to when memory may have run out.
std::FILE* OpenConvertedNativeFile(const std::filesystem::path& path, const char* mode) noexcept;
bool RemoveNativeFile(const std::string& path);
// The names in a folder ("." and ".." left out); false when it cannot be read.
// Throws std::bad_alloc when memory runs out, where std::filesystem's folder
// walk would end the process.
bool FolderEntryNames(const std::string& folder, std::vector<std::string>& names);
// For std::filesystem and the file streams.
std::filesystem::path FileSystemPath(const std::string& path);
