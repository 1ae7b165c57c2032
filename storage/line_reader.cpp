#include "storage/line_reader.h"

#include <cstring>

#include "platform/trace.h"

namespace {
void TraceZeroByte(const char* line, size_t length) {
  if (std::memchr(line, '\0', length))
    DebugTrace("LineReader: a zero byte ends the line, the rest of it is dropped: (%s)\n", line);
}
}  // namespace

char* FileLineReader::NextLine() {
  line_.clear();
  bool read = false;
  for (;;) {
    if (next_ == end_) {
      next_ = 0;
      end_ = std::fread(chunk_.data(), 1, chunk_.size(), file_);
      if (end_ == 0) break;
    }
    read = true;
    const char* from = chunk_.data() + next_;
    const void* feed = std::memchr(from, '\n', end_ - next_);
    const size_t n = feed ? static_cast<size_t>(static_cast<const char*>(feed) - from) + 1 : end_ - next_;
    line_.insert(line_.end(), from, from + n);
    next_ += n;
    if (feed) break;
  }
  if (!read) return nullptr;
  TraceZeroByte(line_.data(), line_.size());
  line_.push_back('\0');
  return line_.data();
}

char* BufferLineReader::NextLine() {
  if (next_ == end_) return nullptr;
  char* line = next_;
  char* feed = static_cast<char*>(std::memchr(line, '\n', static_cast<size_t>(end_ - line)));
  char* lineEnd = feed ? feed : end_;
  next_ = feed ? feed + 1 : end_;
  TraceZeroByte(line, static_cast<size_t>(lineEnd - line));
  *lineEnd = '\0';
  return line;
}
