// The loader on archives. The first byte chooses what the rest is: even, the
// bytes of the archive file itself (seeded with valid archives, so mutations
// reach damaged headers, directories and data); odd, the text of the member
// "VEXA/pfConfig" in a well-formed archive (the in-memory parse of a member).
#include <zip.h>

#include <cstdlib>

#include "fuzz/scratch_file.h"
#include "storage/config_source.h"

namespace {
void WriteMemberArchive(const std::string& path, const uint8_t* text, size_t size) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) std::abort();
  zip_source_t* member = zip_source_buffer(archive, text, size, 0);
  if (!member || zip_file_add(archive, "VEXA/pfConfig", member, ZIP_FL_OVERWRITE) < 0 || zip_close(archive) != 0)
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFile file(".zip");
  if (size == 0) return 0;
  if (data[0] % 2 == 0) file.Write(data + 1, size - 1);
  else WriteMemberArchive(file.Path(), data + 1, size - 1);
  tConfigSource source;
  source.LoadAttributesFromFile(file.Path().c_str());
  return 0;
}
