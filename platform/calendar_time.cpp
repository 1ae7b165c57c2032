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

std::string CompactLocalTime(std::time_t moment) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &moment);
#else
  localtime_r(&moment, &local);
#endif
  char text[32] = "";
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}
