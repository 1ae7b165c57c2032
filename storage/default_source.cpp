#include "storage/default_source.h"

#include <mutex>

std::shared_ptr<tConfigSource> AcquireDefaultConfigSource() {
  static std::mutex* mutex = new std::mutex;
  static auto* current = new std::weak_ptr<tConfigSource>;
  std::lock_guard<std::mutex> lock(*mutex);
  std::shared_ptr<tConfigSource> source = current->lock();
  if (!source) {
    source = std::make_shared<tConfigSource>();
    *current = source;
  }
  return source;
}
