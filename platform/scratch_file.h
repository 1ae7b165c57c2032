// Files for data on its way that would take too much memory: an archive being
// written, a member deflated ahead of it. The file has no name anyone can open
// and is gone once closed, or when the process ends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

// A new empty file in the temporary folder, open for reading and writing; null
// when none can be made, memory that runs out included: libzip calls it, and no
// exception may cross libzip's frames.
std::FILE* OpenScratchFile() noexcept;

// The buffer for a file that is read or written a few kilobytes at a time.
inline constexpr std::size_t kFileBufferBytes = 1 << 20;

// Positions beyond 2 GB in any stdio file, which a long cannot hold on
// Windows. False on failure.
bool SeekFile(std::FILE* file, std::int64_t offset, int whence);
// -1 on failure.
std::int64_t FilePosition(std::FILE* file);
