// The parts of saving a file's content that every port shares.
#include "platform/file_replace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/native_file.h"
#include "platform/trace.h"

namespace {
// Large enough that a copy runs at the disk's speed, small enough to go unnoticed in memory.
constexpr size_t kCopyPieceBytes = 1 << 20;
}  // namespace

bool ReplaceFileContent(const std::string& path, const std::string& content) {
  return ReplaceFileContent(path, [&content](const ContentWriter& write) { return write(content.data(), content.size()); });
}

bool ProduceContent(const ContentProducer& produce, const ContentWriter& write) {
  try {
    return produce(write);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool ContentInMemory(const ContentProducer& produce, std::string& content) {
  content.clear();
  try {
    return produce([&content](const char* data, size_t size) {
      content.append(data, size);
      return true;
    });
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CopyFileContent(const std::string& source, const std::string& destination) {
  std::FILE* file = OpenNativeFile(source, "rb");
  if (!file) {
    DebugTrace("CopyFileContent: cannot read %s: %s\n", source.c_str(), std::strerror(errno));
    return false;
  }
  const bool copied = CopyFileContent(file, source, destination);
  std::fclose(file);
  return copied;
}

bool CopyFileContent(std::FILE* source, const std::string& sourceName, const std::string& destination) {
  std::unique_ptr<char[]> piece(new (std::nothrow) char[kCopyPieceBytes]);
  if (!piece) {
    DebugTrace("CopyFileContent: cannot read %s: %s\n", sourceName.c_str(), std::strerror(ENOMEM));
    return false;
  }
  return ReplaceFileContent(destination, [&](const ContentWriter& write) {
    for (size_t n; (n = std::fread(piece.get(), 1, kCopyPieceBytes, source)) > 0;)
      if (!write(piece.get(), n)) return false;
    if (!std::ferror(source)) return true;
    DebugTrace("CopyFileContent: cannot read %s\n", sourceName.c_str());
    return false;
  });
}
