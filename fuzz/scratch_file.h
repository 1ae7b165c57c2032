// The loader reads only from paths, so every fuzz input goes through a file of
// its own in the temporary folder, one per process and use, removed at exit.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class ScratchFile {
 public:
  // The extension chooses how the loader reads the file (".cfg", ".zip").
  explicit ScratchFile(const char* extension);
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Replaces the file's content; answers the path.
  const std::string& Write(const void* data, size_t size);
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};
