// The C library's calendar text of a moment in local time, as ctime writes it:
// "Wed Jan  2 02:03:55 1980\n".
#pragma once
#include <ctime>
#include <string>

std::string CalendarTime(std::time_t moment);

// A moment in local time as "YYYYMMDD-HHMMSS", for names of files.
std::string CompactLocalTime(std::time_t moment);
