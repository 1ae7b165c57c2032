// A truncated or corrupted archive must never crash the loader, and must never
// load as a different configuration: it loads nothing, or, where the damage
// misses every byte that the load relies on, the very same tree.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "storage/config_source.h"
#include "storage/zlib_obj.h"
#include "tests/test_support.h"

namespace {
class DamagedArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string text = "Root VersionFivePointZero\n{\nTable Parts\n{\nTableDefinition Name|Count\n"
                       "TableType String|Int\nTableContents\n{\n";
    for (int i = 0; i < 40; ++i) text += "r" + std::to_string(i) + " part" + std::to_string(i) + "|" + std::to_string(i) + "\n";
    text += "}\n}\n}\n";
    WriteTextFile(dir.Path("plain.cfg"), text);
    tConfigSource source;
    tAtrribute* root = source.LoadAttributesFromFile(dir.Path("plain.cfg").c_str());
    ASSERT_NE(root, nullptr);
    expected = Dump(root);
    // The archive as a save lays it out: folders, member, comment.
    ASSERT_EQ(source.SaveToFile(dir.Path("good.zip").c_str()), S_OK);
    archive = ReadTextFile(dir.Path("good.zip"));
  }

  // True when the damaged bytes loaded; a load must otherwise give null.
  bool Loads(const std::string& bytes) {
    WriteTextFile(dir.Path("damaged.zip"), bytes);
    tConfigSource source;
    tAtrribute* root = source.LoadAttributesFromFile(dir.Path("damaged.zip").c_str());
    if (!root) return false;
    EXPECT_EQ(Dump(root), expected);
    return true;
  }

  ScratchDir dir;
  std::string expected;
  std::string archive;
};
}  // namespace

TEST_F(DamagedArchive, CutAtAnyOffsetLoadsNothing) {
  // Only the archive comment at the very end may be lost without losing the archive.
  const size_t comment = std::string("VEXA Config File").size();
  for (size_t length = 0; length + comment < archive.size(); ++length)
    EXPECT_FALSE(Loads(archive.substr(0, length))) << "cut at " << length;
}

TEST_F(DamagedArchive, FlippedBytesLoadNothingOrTheSameTree) {
  int loaded = 0;
  for (size_t at = 0; at < archive.size(); ++at) {
    for (unsigned char mask : {0x01, 0x80, 0xFF}) {
      std::string bytes = archive;
      bytes[at] = static_cast<char>(bytes[at] ^ mask);
      loaded += Loads(bytes);
    }
  }
  // Headers carry fields that a read does not check (times, versions, names of
  // the other entries), but the member's data and checksum are always checked.
  EXPECT_GT(loaded, 0);
  EXPECT_LT(loaded, static_cast<int>(archive.size()) * 3 / 2);
}

namespace {
// Sets the uncompressed size of the member in its local header and in the
// central directory.
void ClaimSize(std::string& archive, const std::string& member, uint32_t size) {
  const auto patch = [&](const std::string& signature, size_t sizeOffset, size_t nameOffset) {
    for (size_t at = archive.find(signature); at != std::string::npos; at = archive.find(signature, at + 1)) {
      if (archive.compare(at + nameOffset, member.size(), member) != 0) continue;
      for (int i = 0; i < 4; ++i) archive[at + sizeOffset + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    }
  };
  patch(std::string("PK\x03\x04", 4), 22, 30);
  patch(std::string("PK\x01\x02", 4), 24, 46);
}
}  // namespace

// A header may claim far more than the member holds: memory grows only as inflating
// yields bytes (a 4 GB block asked for at once would end the process under the
// sanitizers), and the load fails naming both sizes. Where a long cannot state the
// claim (Windows), it is not known, and the member loads as it is, CRC checked.
TEST_F(DamagedArchive, AMemberClaimingFarMoreThanItHoldsLoadsNothing) {
  std::string bytes = archive;
  ClaimSize(bytes, "VEXA/pfConfig", UINT32_MAX - 1);
  TraceCapture traces;
  const bool loaded = Loads(bytes);
  EXPECT_TRUE(sizeof(long) == 4 || (!loaded && traces.Contains("4294967294")));
}

// The member is inflated straight into the loader's buffer of the size that the
// archive states: a member that inflates to more than that is refused, never cut.
TEST_F(DamagedArchive, AMemberLongerThanItsStatedSizeLoadsNothing) {
  tConfigSource source;
  ASSERT_NE(source.LoadAttributesFromFile(dir.Path("plain.cfg").c_str()), nullptr);
  ASSERT_EQ(source.SaveToFile(dir.Path("member.cfg").c_str()), S_OK);  // the member's bytes
  const uint32_t size = static_cast<uint32_t>(ReadTextFile(dir.Path("member.cfg")).size());
  for (uint32_t stated : {size - 1, size / 2, 1u}) {
    std::string bytes = archive;
    ClaimSize(bytes, "VEXA/pfConfig", stated);
    EXPECT_FALSE(Loads(bytes)) << stated;
  }
}
