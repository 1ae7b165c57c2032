// Files made new under names that another process cannot guess: a prefix and
// six random letters and digits, the shape the POSIX port's mkstemp gives, so
// that leftovers look the same.
#pragma once
#include <string>

#include "platform/windows_sdk.h"

// A new file (CREATE_NEW, no sharing) under `prefix` and a random tail; a name
// already taken is drawn again. INVALID_HANDLE_VALUE when the folder takes no
// new file. `name` gets the file's name, moved in once the file is open, so
// that nothing needs memory while the handle is open.
HANDLE CreateUniquelyNamedFile(const std::string& prefix, DWORD access, DWORD flags, std::wstring& name);
