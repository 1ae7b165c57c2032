// Large blocks of memory taken from the system with their pages in place. A
// loaded text and its tree fill hundreds of megabytes of fresh memory; touched
// one page at a time, each page costs a fault, which took about half of a
// load's time. Asked for with the block (MAP_POPULATE), the pages come in one pass.
#pragma once
#include <cstddef>
#include <utility>

// Null when the system has no room for `bytes`.
char* TakePages(size_t bytes);
// `bytes` as given to TakePages.
void GivePages(char* block, size_t bytes);

// A block of pages that goes back to the system with its owner.
class PageBlock {
 public:
  PageBlock() = default;
  // Empty when the system has no room for `bytes`.
  explicit PageBlock(size_t bytes) : data_(TakePages(bytes)), size_(data_ ? bytes : 0) {}
  ~PageBlock() { GivePages(data_, size_); }
  PageBlock(PageBlock&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
  PageBlock& operator=(PageBlock&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    return *this;
  }
  PageBlock(const PageBlock&) = delete;
  PageBlock& operator=(const PageBlock&) = delete;

  char* get() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
};
