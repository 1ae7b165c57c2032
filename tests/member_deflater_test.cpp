#include "storage/member_deflater.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/scratch_file.h"
#include "storage/deflated_member_source.h"
#include "tests/test_support.h"

namespace {
constexpr size_t kPiece = 32 * 1024;

// Text that refers back across piece ends, so that a missing dictionary or a
// misplaced piece shows.
std::string Text(size_t size) {
  std::string text;
  for (int row = 0; text.size() < size; ++row)
    text += "   r" + std::to_string(row * 7919 % 100003) + " P" + std::to_string(row % 977) + "|wing|1.5|\r\n";
  text.resize(size);
  return text;
}

// Empty, small, exactly one piece, exactly three, and several with a rest, each
// given in uneven slices, are written into an archive through libzip, which reads
// them back (checking the CRC) as one member.
TEST(MemberDeflater, PiecesJoinIntoOneMemberThatLibzipReadsBack) {
  ScratchDir dir;
  for (const size_t size : {size_t{0}, size_t{100}, kPiece, 3 * kPiece, 9 * kPiece + 17}) {
    SCOPED_TRACE(size);
    const std::string text = Text(size);
    std::FILE* spill = OpenScratchFile();
    ASSERT_NE(spill, nullptr);
    size_t piecesHandedOn = 0;
    tMemberDeflater deflater(1, kPiece, 2, [&](const char* bytes, size_t count) {
      ++piecesHandedOn;
      return std::fwrite(bytes, 1, count, spill) == count;
    });
    for (size_t at = 0; at < size; at += 5000) ASSERT_TRUE(deflater.Append(text.data() + at, std::min<size_t>(5000, size - at)));
    DeflatedMember member;
    ASSERT_TRUE(deflater.Finish(member));
    EXPECT_EQ(member.textSize, size);
    EXPECT_EQ(piecesHandedOn, size / kPiece + 1);
    if (size > kPiece) {
      EXPECT_LT(member.deflatedSize * 3, size);
    }
    ASSERT_EQ(std::fflush(spill), 0);

    const std::string path = dir.Path("pieces.zip");
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    ASSERT_NE(archive, nullptr);
    zip_source_t* source = DeflatedMemberSource(archive, spill, member);
    ASSERT_NE(source, nullptr);
    ASSERT_GE(zip_file_add(archive, "VEXA/pfConfig", source, 0), 0);
    ASSERT_EQ(zip_close(archive), 0);
    // Read past the end: only there does libzip check the CRC.
    archive = zip_open(path.c_str(), ZIP_RDONLY, nullptr);
    zip_file_t* file = archive ? zip_fopen(archive, "VEXA/pfConfig", 0) : nullptr;
    ASSERT_NE(file, nullptr);
    std::string read(size + 1, '\0');
    EXPECT_EQ(zip_fread(file, read.data(), read.size()), static_cast<zip_int64_t>(size));
    read.resize(size);
    EXPECT_TRUE(read == text);
    zip_fclose(file);
    zip_discard(archive);
  }
}
}  // namespace
