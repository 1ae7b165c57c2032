// The loader on archives. The first byte chooses what the rest is: 0 (mod 3),
// the bytes of the archive file itself (seeded with valid archives, so
// mutations reach damaged headers, directories and data); 1, the text of the
// member "VEXA/pfConfig" in a well-formed archive (the in-memory parse of a
// member); 2, four bytes of the size that the member's headers claim (little
// endian, up to 4 GiB, far beyond what the member holds), then the member's text.
#include <zip.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/scratch_file.h"
#include "storage/config_source.h"

namespace {
constexpr const char* kMember = "VEXA/pfConfig";

void WriteMemberArchive(const std::string& path, const uint8_t* text, size_t size) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) std::abort();
  zip_source_t* member = zip_source_buffer(archive, text, size, 0);
  if (!member || zip_file_add(archive, kMember, member, ZIP_FL_OVERWRITE) < 0 || zip_close(archive) != 0)
    std::abort();
}

// Sets the uncompressed size in the member's local header and central directory entry.
void ClaimSize(const std::string& path, uint32_t size) {
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::string member = kMember;
  const auto patch = [&](const std::string& signature, size_t sizeOffset, size_t nameOffset) {
    for (size_t at = bytes.find(signature); at != std::string::npos; at = bytes.find(signature, at + 1)) {
      if (bytes.compare(at + nameOffset, member.size(), member) != 0) continue;
      for (int i = 0; i < 4; ++i) bytes[at + sizeOffset + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    }
  };
  patch(std::string("PK\x03\x04", 4), 22, 30);
  patch(std::string("PK\x01\x02", 4), 24, 46);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFile file(".zip");
  if (size == 0) return 0;
  switch (data[0] % 3) {
    case 0:
      file.Write(data + 1, size - 1);
      break;
    case 1:
      WriteMemberArchive(file.Path(), data + 1, size - 1);
      break;
    default:
      if (size < 5) return 0;
      WriteMemberArchive(file.Path(), data + 5, size - 5);
      ClaimSize(file.Path(), static_cast<uint32_t>(data[1] | data[2] << 8 | data[3] << 16 | uint32_t{data[4]} << 24));
      break;
  }
  tConfigSource source;
  source.LoadAttributesFromFile(file.Path().c_str());
  return 0;
}
