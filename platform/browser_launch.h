// Opening a URL in the user's browser: the desktop's opener here, the shell's
// association on Windows.
#pragma once
#include <string>

// False when no browser could be started.
bool OpenInBrowser(const std::string& url);
