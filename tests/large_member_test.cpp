// An archive whose member is over 1 GiB opens like a plain file of that size.
// The archive is written by libzip from rows made as it asks for them, so it is
// small on disk; it takes tens of seconds and over a gigabyte of memory, so it
// runs only when VEXA_LARGE_MEMBER is set (scripts/test.sh sets it).
#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "storage/config_source.h"
#include "store/table.h"
#include "tests/test_support.h"

namespace {
constexpr unsigned long long kMemberBytes = (1ull << 30) + (64ull << 20);
constexpr size_t kRowBytes = 4096;

const std::string kHead =
    "Root VersionFivePointZero\r\n{\r\n   Table Big\r\n   {\r\n      TableDefinition A|B\r\n"
    "      TableType String|String\r\n      TableContents \r\n      {\r\n";
const std::string kTail = "      }\r\n   }\r\n}\r\n";
const unsigned long long kRows = (kMemberBytes - kHead.size() - kTail.size()) / kRowBytes;

// Row `i`: "         rI I|xxx...x\r\n", kRowBytes long.
std::string Row(unsigned long long i) {
  std::string row = "         r" + std::to_string(i) + " " + std::to_string(i) + "|";
  row.append(kRowBytes - row.size() - 2, 'x');
  return row + "\r\n";
}

// The member's text, made piece by piece as libzip reads it.
struct GeneratedText {
  unsigned long long next = 0;  // the next part: 0 the head, 1 + i row i, then the tail
  std::string pending;
  size_t pendingAt = 0;
  zip_error_t error;

  bool Refill() {
    if (next > kRows + 1) return false;
    pending = next == 0 ? kHead : next <= kRows ? Row(next - 1) : kTail;
    pendingAt = 0;
    ++next;
    return true;
  }
};

zip_int64_t Generate(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto* text = static_cast<GeneratedText*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      text->next = 0;
      text->pending.clear();
      text->pendingAt = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      zip_uint64_t done = 0;
      while (done < length && (text->pendingAt < text->pending.size() || text->Refill())) {
        const size_t n = std::min<size_t>(length - done, text->pending.size() - text->pendingAt);
        std::memcpy(static_cast<char*>(data) + done, text->pending.data() + text->pendingAt, n);
        text->pendingAt += n;
        done += n;
      }
      return static_cast<zip_int64_t>(done);
    }
    case ZIP_SOURCE_CLOSE:
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &text->error);
      if (!stat) return -1;
      zip_stat_init(stat);
      stat->valid = ZIP_STAT_SIZE;
      stat->size = kHead.size() + kRows * kRowBytes + kTail.size();
      return sizeof(*stat);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&text->error, data, length);
    case ZIP_SOURCE_FREE:
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      zip_error_set(&text->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

void WriteLargeArchive(const std::string& path) {
  GeneratedText text;
  zip_error_init(&text.error);
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(archive, nullptr);
  zip_source_t* source = zip_source_function(archive, Generate, &text);
  ASSERT_NE(source, nullptr);
  const zip_int64_t index = zip_file_add(archive, "VEXA/pfConfig", source, 0);
  ASSERT_GE(index, 0);
  zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
  ASSERT_EQ(zip_close(archive), 0) << zip_strerror(archive);
  zip_error_fini(&text.error);
}
}  // namespace

TEST(LargeMember, AMemberOverOneGibibyteLoadsWhole) {
  if (!std::getenv("VEXA_LARGE_MEMBER")) GTEST_SKIP() << "set VEXA_LARGE_MEMBER to run";
  ScratchDir dir;
  const std::string path = dir.Path("large.zip");
  WriteLargeArchive(path);
  tConfigSource source;
  tAtrribute* root = source.LoadAttributesFromFile(path.c_str());
  ASSERT_NE(root, nullptr);
  EXPECT_FALSE(source.EndedInsideBlock());
  tTable table;
  ASSERT_EQ(OpenTable(root, "Big", table), S_OK);
  ASSERT_EQ(static_cast<unsigned long long>(table.contents->ChildCount()), kRows);
  const tAtrribute* last = table.contents->ChildAt(table.contents->ChildCount() - 1);
  const std::string row = Row(kRows - 1);
  const size_t value = row.find(' ', 9) + 1;
  EXPECT_EQ(std::string(last->name.c_str()), "r" + std::to_string(kRows - 1));
  EXPECT_EQ(std::string(last->value.c_str()), row.substr(value, row.size() - 2 - value));
}
