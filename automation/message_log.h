// The message log: the one place where the configuration object writes the text
// of a failure, a plain text file that the caller names.
#pragma once
#include <filesystem>
#include <string>

class MessageLog {
 public:
  // Switches to the file at the native path (deleting it first when asked) and
  // writes the opening banner.
  void Open(const std::string& path, bool deleteExisting);
  // Appends one line; nothing happens while no log is open, and a line that
  // cannot be written is lost.
  void Write(const char* format, ...) noexcept __attribute__((format(printf, 2, 3)));

 private:
  // Converted once, so that writing a line needs no memory.
  std::filesystem::path file_;
  bool open_ = false;
};
