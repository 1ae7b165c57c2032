#include "storage/whole_member.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>

namespace {
struct DeflatedMember {
  // Not a vector: the bound is about the text's size, and only the bytes
  // written should ever be touched.
  std::unique_ptr<char[]> bytes;
  zip_uint64_t deflatedSize = 0;
  zip_uint64_t textSize = 0;
  zip_uint32_t crc = 0;
  std::time_t written = 0;
  zip_uint64_t readPosition = 0;
  zip_error_t error;
};

zip_int64_t Serve(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto* member = static_cast<DeflatedMember*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      member->readPosition = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      const zip_uint64_t count = std::min(length, member->deflatedSize - member->readPosition);
      std::memcpy(data, member->bytes.get() + member->readPosition, count);
      member->readPosition += count;
      return static_cast<zip_int64_t>(count);
    }
    case ZIP_SOURCE_CLOSE:
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &member->error);
      if (!stat) return -1;
      zip_stat_init(stat);
      stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_MTIME |
                    ZIP_STAT_ENCRYPTION_METHOD;
      stat->size = member->textSize;
      stat->comp_size = member->deflatedSize;
      stat->comp_method = ZIP_CM_DEFLATE;
      stat->crc = member->crc;
      stat->mtime = member->written;
      stat->encryption_method = ZIP_EM_NONE;
      return sizeof(*stat);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&member->error, data, length);
    case ZIP_SOURCE_FREE:
      zip_error_fini(&member->error);
      delete member;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      zip_error_set(&member->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

bool Deflate(DeflatedMember& member, const char* text, size_t textSize, int level) {
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
  if (!compressor) return false;
  const size_t bound = libdeflate_deflate_compress_bound(compressor, textSize);
  member.bytes.reset(new (std::nothrow) char[bound]);
  const size_t size = member.bytes ? libdeflate_deflate_compress(compressor, text, textSize, member.bytes.get(), bound) : 0;
  libdeflate_free_compressor(compressor);
  member.deflatedSize = size;
  member.textSize = textSize;
  member.crc = libdeflate_crc32(0, text, textSize);
  member.written = std::time(nullptr);
  return size > 0;
}
}  // namespace

zip_source_t* DeflatedMemberSource(zip_t* archive, const char* text, size_t size, int level) {
  auto* member = new (std::nothrow) DeflatedMember;
  if (!member || !Deflate(*member, text, size, level)) {
    delete member;
    zip_error_set(zip_get_error(archive), ZIP_ER_MEMORY, 0);
    return nullptr;
  }
  zip_error_init(&member->error);
  zip_source_t* source = zip_source_function(archive, Serve, member);
  if (!source) {
    zip_error_fini(&member->error);
    delete member;
  }
  return source;
}

WholeMemberRead InflateWholeMember(zip_t* archive, const char* name, char* text, zip_uint64_t size) {
  zip_stat_t stat;
  zip_stat_init(&stat);
  constexpr zip_uint64_t kNeeded = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
  if (zip_stat(archive, name, 0, &stat) != 0 || (stat.valid & kNeeded) != kNeeded || stat.size != size ||
      stat.comp_method != ZIP_CM_DEFLATE ||
      ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE))
    return WholeMemberRead::NotDeflated;
  // A deflated size beyond what any sensible writer makes (possible, with empty
  // blocks, or claimed by a damaged header) is left to libzip's streaming read,
  // which needs no buffer of that size.
  if (stat.comp_size > size + size / 8 + 1024) return WholeMemberRead::NotDeflated;
  std::unique_ptr<char[]> deflated(new (std::nothrow) char[stat.comp_size ? stat.comp_size : 1]);
  libdeflate_decompressor* decompressor = deflated ? libdeflate_alloc_decompressor() : nullptr;
  if (!decompressor) return WholeMemberRead::NotDeflated;
  zip_file_t* file = zip_fopen(archive, name, ZIP_FL_COMPRESSED);
  bool read = file && zip_fread(file, deflated.get(), stat.comp_size) == static_cast<zip_int64_t>(stat.comp_size);
  if (file) zip_fclose(file);
  // Without a count of bytes made, libdeflate fails unless the stream fills
  // exactly the room given and then ends.
  read = read && libdeflate_deflate_decompress(decompressor, deflated.get(), stat.comp_size, text, size, nullptr) ==
                     LIBDEFLATE_SUCCESS;
  libdeflate_free_decompressor(decompressor);
  return read && libdeflate_crc32(0, text, size) == stat.crc ? WholeMemberRead::Done : WholeMemberRead::Damaged;
}
