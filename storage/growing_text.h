// Text that grows at its end, held in one block that realloc may move without
// copying (the C library remaps large blocks), so that building a text of many
// megabytes piece by piece touches each byte about once.
#pragma once
#include <cstddef>

class tGrowingText {
 public:
  tGrowingText() = default;
  tGrowingText(const tGrowingText&) = delete;
  tGrowingText& operator=(const tGrowingText&) = delete;
  ~tGrowingText();

  // False when memory runs out; the text is then as it was.
  bool Append(const char* text, size_t length);
  const char* Data() const { return data_ ? data_ : ""; }
  size_t Size() const { return size_; }
  // Empties the text and gives its memory back.
  void Release();

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};
