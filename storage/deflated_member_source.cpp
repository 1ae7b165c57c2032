#include "storage/deflated_member_source.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>

#include "platform/scratch_file.h"

namespace {
struct ServedMember {
  std::FILE* deflated = nullptr;
  DeflatedMember member;
  std::time_t written = 0;
  bool unread = true;
  zip_error_t error;
  // libzip asks for 8 KB at a time; the file is read a megabyte at a time.
  std::unique_ptr<char[]> buffer;
  size_t next = 0, end = 0;
};

zip_int64_t Read(ServedMember& served, char* data, zip_uint64_t length) {
  if (served.next == served.end) {
    served.next = 0;
    served.end = std::fread(served.buffer.get(), 1, kFileBufferBytes, served.deflated);
    if (served.end == 0 && std::ferror(served.deflated)) {
      zip_error_set(&served.error, ZIP_ER_READ, errno);
      return -1;
    }
  }
  const size_t count = static_cast<size_t>(std::min<zip_uint64_t>(length, served.end - served.next));
  std::memcpy(data, served.buffer.get() + served.next, count);
  served.next += count;
  return static_cast<zip_int64_t>(count);
}

zip_int64_t Serve(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto* served = static_cast<ServedMember*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      // The file is read straight through once: a second reading is not served.
      if (!served->unread) {
        zip_error_set(&served->error, ZIP_ER_INTERNAL, 0);
        return -1;
      }
      served->unread = false;
      served->buffer.reset(new (std::nothrow) char[kFileBufferBytes]);
      if (!served->buffer) {
        zip_error_set(&served->error, ZIP_ER_MEMORY, 0);
        return -1;
      }
      std::rewind(served->deflated);
      return 0;
    case ZIP_SOURCE_READ:
      return Read(*served, static_cast<char*>(data), length);
    case ZIP_SOURCE_CLOSE:
      served->buffer.reset();
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &served->error);
      if (!stat) return -1;
      zip_stat_init(stat);
      stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_MTIME |
                    ZIP_STAT_ENCRYPTION_METHOD;
      stat->size = served->member.textSize;
      stat->comp_size = served->member.deflatedSize;
      stat->comp_method = ZIP_CM_DEFLATE;
      stat->crc = served->member.crc;
      stat->mtime = served->written;
      stat->encryption_method = ZIP_EM_NONE;
      return sizeof(*stat);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&served->error, data, length);
    case ZIP_SOURCE_FREE:
      std::fclose(served->deflated);
      zip_error_fini(&served->error);
      delete served;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      zip_error_set(&served->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}
}  // namespace

zip_source_t* DeflatedMemberSource(zip_t* archive, std::FILE* deflated, const DeflatedMember& member) {
  auto* served = new (std::nothrow) ServedMember;
  if (!served) {
    std::fclose(deflated);
    zip_error_set(zip_get_error(archive), ZIP_ER_MEMORY, 0);
    return nullptr;
  }
  served->deflated = deflated;
  served->member = member;
  served->written = std::time(nullptr);
  zip_error_init(&served->error);
  zip_source_t* source = zip_source_function(archive, Serve, served);
  if (!source) {
    std::fclose(deflated);
    zip_error_fini(&served->error);
    delete served;
  }
  return source;
}
