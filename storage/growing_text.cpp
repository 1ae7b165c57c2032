#include "storage/growing_text.h"

#include <cstdlib>
#include <cstring>

tGrowingText::~tGrowingText() { Release(); }

bool tGrowingText::Append(const char* text, size_t length) {
  if (length > capacity_ - size_) {
    size_t capacity = capacity_ < 4096 ? 4096 : capacity_;
    while (capacity - size_ < length) {
      if (capacity > static_cast<size_t>(-1) / 2) return false;
      capacity *= 2;
    }
    char* grown = static_cast<char*>(std::realloc(data_, capacity));
    if (!grown) return false;
    data_ = grown;
    capacity_ = capacity;
  }
  if (length) std::memcpy(data_ + size_, text, length);
  size_ += length;
  return true;
}

void tGrowingText::Release() {
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = 0;
}
