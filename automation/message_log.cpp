#include "automation/message_log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/calendar_time.h"
#include "platform/native_file.h"

void MessageLog::Open(const std::string& path, bool deleteExisting) {
  path_ = path;
  if (deleteExisting) RemoveNativeFile(path_);
  open_ = true;
  std::time_t now = std::time(nullptr);
  Write("*\n* Message Log Open on: %s*", CalendarTime(now).c_str());
}

// Messages are formatted in full rather than cut at a fixed buffer size: a path
// in a message is exactly what its reader needs.
void MessageLog::Write(const char* format, ...) {
  if (!open_) return;
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  std::FILE* file = OpenNativeFile(path_, "a");
  if (!file) return;
  std::fputs(text.c_str(), file);
  std::fputc('\n', file);
  std::fclose(file);
}
