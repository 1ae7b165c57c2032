// Row ids: "%lu-%s@%s-%d" from a process-wide counter, the local time, the host
// name and the process id, made under one process-wide mutex.
#pragma once
#include "store/tstring.h"

HRESULT MakeRowId(tString& out);
