#include "platform/server_module.h"

#include "platform/host_identity.h"
#include "platform/native_path.h"

// There are no loadable modules here: the server is always part of the program.
std::wstring ServerModulePath() { return WideFromNativePath(ExecutablePath()); }
