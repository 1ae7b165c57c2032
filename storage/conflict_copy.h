// When a file changed on disk since it was loaded (another program or process
// saved it), a save would silently drop that change: the file is kept first
// beside it under a name that no save ever writes to.
#pragma once
#include <string>

// Copies the file at `path` (a native path) to a new file
// "PATH.Conflict-YYYYMMDD-HHMMSS" (local time), with "-2", "-3" ... added when
// that name is taken, never replacing anything. The new file's native path, or
// empty when no copy could be made.
std::string KeepConflictCopy(const std::string& path);
