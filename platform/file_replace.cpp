// The parts of saving a file's content that every port shares.
#include "platform/file_replace.h"

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "platform/native_file.h"
#include "platform/scratch_file.h"
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

namespace {
// libzip writes 8 KB at a time: through this, a megabyte a system call. The
// buffer is the caller's, since glibc ignores the size of one it allocates.
std::unique_ptr<char[]> BufferStream(std::FILE* file) {
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kFileBufferBytes]);
  if (buffer) setvbuf(file, buffer.get(), _IOFBF, kFileBufferBytes);
  return buffer;
}

bool Produce(const FileProducer& produce, std::FILE* file) {
  try {
    return produce(file);
  } catch (const std::bad_alloc&) {
    return false;
  }
}
}  // namespace

bool ProduceAndClose(const FileProducer& produce, std::FILE* file) {
  const std::unique_ptr<char[]> buffer = BufferStream(file);
  const bool produced = Produce(produce, file);
  return std::fclose(file) == 0 && produced;
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

// Through a scratch file, since the producer seeks in what it wrote.
bool ContentInMemory(const FileProducer& produce, std::string& content) {
  std::FILE* file = OpenScratchFile();
  if (!file) {
    DebugTrace("ReplaceFileContent: cannot make a scratch file: %s\n", std::strerror(errno));
    return false;
  }
  const std::unique_ptr<char[]> buffer = BufferStream(file);
  bool collected = Produce(produce, file) && SeekFile(file, 0, SEEK_END);
  const std::int64_t size = collected ? FilePosition(file) : -1;
  content.clear();
  try {
    collected = size >= 0 && static_cast<std::uint64_t>(size) <= content.max_size() && SeekFile(file, 0, SEEK_SET);
    if (collected) content.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    collected = false;
  }
  collected = collected && std::fread(content.data(), 1, content.size(), file) == content.size();
  std::fclose(file);
  return collected;
}

bool CopyFileContent(const std::string& source, const std::string& destination) {
  std::FILE* file = OpenNativeFile(source, "rb");
  std::unique_ptr<char[]> piece(new (std::nothrow) char[kCopyPieceBytes]);
  if (!file || !piece) {
    DebugTrace("CopyFileContent: cannot read %s: %s\n", source.c_str(), std::strerror(file ? ENOMEM : errno));
    if (file) std::fclose(file);
    return false;
  }
  const bool copied = ReplaceFileContent(destination, [&](const ContentWriter& write) {
    for (size_t n; (n = std::fread(piece.get(), 1, kCopyPieceBytes, file)) > 0;)
      if (!write(piece.get(), n)) return false;
    if (!std::ferror(file)) return true;
    DebugTrace("CopyFileContent: cannot read %s\n", source.c_str());
    return false;
  });
  std::fclose(file);
  return copied;
}
