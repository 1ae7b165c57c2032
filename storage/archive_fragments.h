// An archive's bytes read whole into memory in fragments of bounded size: a
// fragmented 32-bit address space holds them where one block of the archive's
// size may not fit. libzip reads them as one buffer.
#pragma once
#include <zip.h>

#include <memory>
#include <string>
#include <vector>

class tArchiveFragments {
 public:
  // False (with `error` set, nothing kept) when the file cannot be read or
  // memory runs out.
  bool Read(const std::string& path, zip_error_t* error);
  // A source over the bytes read, which must outlive it; null with `error` set.
  zip_source_t* Source(zip_error_t* error) const;
  // Gives the memory back.
  void Clear();

 private:
  std::vector<std::unique_ptr<zip_uint8_t[]>> blocks_;
  std::vector<zip_buffer_fragment_t> fragments_;
};
