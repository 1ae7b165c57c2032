// Temporary files that killed saves leave beside a configuration file.
#pragma once
#include <string>

// Removes, beside the file at `path` (a native path, links followed), the
// temporary files of earlier saves and backup copies that never finished:
// "FILE.saving-XXXXXX", "FILE.Backup.saving-XXXXXX", and for an archive the
// archive library's "FILE.XXXXXX" when it is empty or an archive without its
// closing directory (a finished archive, such as a copy the user made under
// such a name, stays). A file that a save in progress holds stays too. Throws
// when the folder cannot be read or memory runs out.
void RemoveLeftoverSaves(const std::string& path);

// The backup copy of a file is the file's name followed by this.
inline constexpr const char* kBackupSuffix = ".Backup";
