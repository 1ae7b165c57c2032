// Line sources for the loader: a plain file read in a doubling buffer, or a text
// in memory split at its line feeds. The line handed out may be changed in place
// and stays valid until the next call.
#pragma once
#include <cstdio>
#include <vector>

class LineReader {
 public:
  virtual ~LineReader() = default;
  // Null at the end of the input or on a read failure.
  virtual char* NextLine() = 0;
};

class FileLineReader : public LineReader {
 public:
  explicit FileLineReader(std::FILE* file) : file_(file), buffer_(kStartSize) {}
  char* NextLine() override;

 private:
  static constexpr size_t kStartSize = 200;
  std::FILE* file_;
  std::vector<char> buffer_;
};

class BufferLineReader : public LineReader {
 public:
  // The text must be zero-terminated and outlive the reader; it is cut in place.
  explicit BufferLineReader(char* text) : next_(text) {}
  char* NextLine() override;

 private:
  char* next_;
};
