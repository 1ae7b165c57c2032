// Row ids: "%lu-%s@%s-%d" from a process-wide counter, the local time, the host
// name and the process id, made under one process-wide mutex.
#pragma once
#include <ctime>
#include <string>

#include "store/tstring.h"

HRESULT MakeRowId(tString& out);
// The time part of an id: the local calendar time without white space, as in
// "WedJan0202:03:551980".
std::string RowIdTime(std::time_t when);
