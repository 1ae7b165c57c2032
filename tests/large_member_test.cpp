// An archive whose member is over 1 GiB opens like a plain file of that size,
// and saves again as an archive in a few megabytes beyond its tree. It takes
// tens of seconds and a few gigabytes of memory, so it runs only when
// VEXA_LARGE_MEMBER is set (scripts/test.sh sets it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "storage/config_source.h"
#include "store/table.h"
#include "tests/test_support.h"

namespace {
constexpr size_t kRowBytes = 4096;
constexpr size_t kRows = ((size_t{1} << 30) + (size_t{64} << 20)) / kRowBytes;

std::string RowValue(size_t i) {
  const std::string start = std::to_string(i) + "|";
  return start + std::string(kRowBytes - start.size() - 20, 'x');
}

size_t StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field, 0) == 0) return std::stoul(line.substr(field.size())) * 1024;
  return 0;
}

void ExpectTheLastRow(tAtrribute* root) {
  tTable table;
  ASSERT_EQ(OpenTable(root, "Big", table), S_OK);
  ASSERT_EQ(static_cast<size_t>(table.contents->ChildCount()), kRows);
  const tAtrribute* last = table.contents->ChildAt(table.contents->ChildCount() - 1);
  EXPECT_EQ(std::string(last->name.c_str()), "r" + std::to_string(kRows - 1));
  EXPECT_EQ(std::string(last->value.c_str()), RowValue(kRows - 1));
}
}  // namespace

TEST(LargeMember, AMemberOverOneGibibyteLoadsWholeAndSavesInFewMegabytes) {
  if (!std::getenv("VEXA_LARGE_MEMBER")) GTEST_SKIP() << "set VEXA_LARGE_MEMBER to run";
  std::string text = "Root VersionFivePointZero\n{\nTable Big\n{\nTableDefinition A|B\nTableType String|String\n"
                     "TableContents\n{\n";
  text.reserve(kRows * kRowBytes + 4096);
  for (size_t i = 0; i < kRows; ++i) text += "r" + std::to_string(i) + " " + RowValue(i) + "\n";
  text += "}\n}\n}\n";
  ASSERT_GT(text.size(), size_t{1} << 30);
  ScratchDir dir;
  WriteArchive(dir.Path("large.zip"), {{"VEXA/pfConfig", text}});
  std::string().swap(text);

  tConfigSource source;
  tAtrribute* root = source.LoadAttributesFromFile(dir.Path("large.zip").c_str());
  ASSERT_NE(root, nullptr);
  EXPECT_FALSE(source.EndedInsideBlock());
  ExpectTheLastRow(root);

  // Neither the member's text nor its deflated form nor the archive stands whole in memory.
  std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak
  const size_t before = StatusBytes("VmRSS:");
  ASSERT_EQ(source.SaveToFile(dir.Path("saved.zip").c_str()), S_OK);
  EXPECT_LT(StatusBytes("VmHWM:") - before, size_t{32} << 20);
  tConfigSource saved;
  root = saved.LoadAttributesFromFile(dir.Path("saved.zip").c_str());
  ASSERT_NE(root, nullptr);
  ExpectTheLastRow(root);
}
