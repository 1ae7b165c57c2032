// The parts of saving a file's content that every port shares.
#include "platform/file_replace.h"

#include <new>

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
