#include "automation/message_log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <memory>
#include <new>
#include <string>

#include "platform/calendar_time.h"
#include "platform/native_file.h"

void MessageLog::Open(const std::string& path, bool deleteExisting) {
  file_ = FileSystemPath(path);
  if (deleteExisting) RemoveNativeFile(path);
  open_ = true;
  std::time_t now = std::time(nullptr);
  Write("*\n* Message Log Open on: %s*", CalendarTime(now).c_str());
}

// Messages are formatted in full rather than cut at a fixed buffer size: a path
// in a message is exactly what its reader needs. When memory has run out (the
// very thing the line may report), the line is cut at what a buffer on the
// stack holds instead.
void MessageLog::Write(const char* format, ...) noexcept {
  if (!open_) return;
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  char shortText[1024];
  std::unique_ptr<char[]> longText;
  char* text = shortText;
  size_t room = sizeof shortText;
  if (length >= static_cast<int>(sizeof shortText)) {
    longText.reset(new (std::nothrow) char[static_cast<size_t>(length) + 1]);
    if (longText) text = longText.get(), room = static_cast<size_t>(length) + 1;
  }
  if (length >= 0) std::vsnprintf(text, room, format, args);
  else text[0] = '\0';
  va_end(args);
  std::FILE* file = OpenConvertedNativeFile(file_, "a");
  if (!file) return;
  std::fputs(text, file);
  std::fputc('\n', file);
  std::fclose(file);
}
