#include "storage/whole_member.h"

#include <libdeflate.h>

#include <memory>
#include <new>

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
