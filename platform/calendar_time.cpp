#include "platform/calendar_time.h"

std::string CalendarTime(std::time_t moment) {
  char text[64] = "";
#ifdef _WIN32
  ctime_s(text, sizeof text, &moment);
#else
  ctime_r(&moment, text);
#endif
  return text;
}
