#include "storage/line_reader.h"

#include <cstring>

char* FileLineReader::NextLine() {
  size_t used = 0;
  for (;;) {
    if (!std::fgets(buffer_.data() + used, static_cast<int>(buffer_.size() - used), file_)) {
      if (used == 0) return nullptr;
      break;
    }
    used += std::strlen(buffer_.data() + used);
    if (used > 0 && buffer_[used - 1] == '\n') break;
    if (used + 1 < buffer_.size()) {
      // fgets stopped short of a full buffer without a line feed: either the end of
      // the file or a zero byte inside the line; skip past such bytes.
      if (std::feof(file_) || std::ferror(file_)) break;
      continue;
    }
    buffer_.resize(buffer_.size() * 2);
  }
  return buffer_.data();
}

char* BufferLineReader::NextLine() {
  if (!next_ || !*next_) return nullptr;
  char* line = next_;
  char* feed = std::strchr(line, '\n');
  if (feed) {
    *feed = '\0';
    next_ = feed + 1;
  } else {
    next_ = nullptr;
  }
  return line;
}
