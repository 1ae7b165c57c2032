// Line sources for the loader: a plain file read in chunks, or a text in memory
// split at its line feeds. A line's text ends at its first zero byte; the rest
// of that line is dropped (and traced), never glued to the next line. The line
// handed out may be changed in place and stays valid until the next call.
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
  explicit FileLineReader(std::FILE* file) : file_(file), chunk_(kChunkSize) {}
  // The line with its line feed, if it has one.
  char* NextLine() override;

 private:
  static constexpr size_t kChunkSize = 1 << 16;
  std::FILE* file_;
  std::vector<char> chunk_;
  size_t next_ = 0;
  size_t end_ = 0;
  std::vector<char> line_;
};

class BufferLineReader : public LineReader {
 public:
  // The text of `length` bytes, and one writable byte behind it, must outlive
  // the reader; it is cut in place.
  BufferLineReader(char* text, size_t length) : next_(text), end_(text + length) {}
  // The line without its line feed.
  char* NextLine() override;

 private:
  char* next_;
  char* end_;
};
