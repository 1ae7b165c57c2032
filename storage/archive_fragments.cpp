#include "storage/archive_fragments.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>

#include "platform/native_file.h"

namespace {
// Fragments start small, so that a small archive takes little memory, and
// double up to this size.
constexpr size_t kFirstFragmentBytes = 64 * 1024;
constexpr size_t kLargestFragmentBytes = 16 * 1024 * 1024;
}  // namespace

bool tArchiveFragments::Read(const std::string& path, zip_error_t* error) {
  Clear();
  std::FILE* file = OpenNativeFile(path, "rb");
  if (!file) {
    zip_error_set(error, ZIP_ER_OPEN, errno);
    return false;
  }
  bool read = true;
  try {
    for (size_t size = kFirstFragmentBytes;; size = std::min(2 * size, kLargestFragmentBytes)) {
      std::unique_ptr<zip_uint8_t[]> block(new zip_uint8_t[size]);
      const size_t count = std::fread(block.get(), 1, size, file);
      if (count > 0) {
        fragments_.push_back({block.get(), count});
        blocks_.push_back(std::move(block));
      }
      if (count < size) {
        if (std::ferror(file)) {
          zip_error_set(error, ZIP_ER_READ, errno);
          read = false;
        }
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    zip_error_set(error, ZIP_ER_MEMORY, 0);
    read = false;
  }
  std::fclose(file);
  if (!read) Clear();
  return read;
}

zip_source_t* tArchiveFragments::Source(zip_error_t* error) const {
  return zip_source_buffer_fragment_create(fragments_.data(), fragments_.size(), 0, error);
}

void tArchiveFragments::Clear() {
  // Swapped, not cleared: clearing keeps the vectors' own blocks.
  std::vector<zip_buffer_fragment_t>().swap(fragments_);
  std::vector<std::unique_ptr<zip_uint8_t[]>>().swap(blocks_);
}
