// A content written piece by piece as it is made: the file holds the pieces in
// order once the save succeeds, and stays exactly as it was, with nothing left
// beside it, when the making fails half-way.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_replace.h"
#include "tests/test_support.h"

namespace {
size_t EntriesIn(const std::string& folder) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

TEST(ReplaceFileContent, PiecesArriveInOrderOrTheOldFileStays) {
  ScratchDir dir;
  const std::string path = dir.Path("config.cfg");
  WriteTextFile(path, "old content\n");
  const std::string piece(100000, 'x');

  EXPECT_FALSE(ReplaceFileContent(path, [&](const ContentWriter& write) {
    return write(piece.data(), piece.size()) && write("half", 4) && false;
  }));
  EXPECT_EQ(ReadTextFile(path), "old content\n");
  EXPECT_EQ(EntriesIn(dir.Path("")), 1u);

  ASSERT_TRUE(ReplaceFileContent(path, [&](const ContentWriter& write) {
    return write("first ", 6) && write(piece.data(), piece.size()) && write(" last", 5);
  }));
  EXPECT_EQ(ReadTextFile(path), "first " + piece + " last");
  EXPECT_EQ(EntriesIn(dir.Path("")), 1u);
}

// libzip goes back to a member's header once the member is written: the file
// it is given keeps what was written over, whether the file is replaced by a
// rename or, with a second hard link, overwritten in place.
TEST(ReplaceFileContent, AFileProducerMaySeekBackOnBothPaths) {
  ScratchDir dir;
  const std::string path = dir.Path("config.zip");
  WriteTextFile(path, "old content\n");
  const std::string body(3 << 20, 'b');
  const auto headerLast = [&](std::FILE* file) {
    return std::fwrite("????", 1, 4, file) == 4 && std::fwrite(body.data(), 1, body.size(), file) == body.size() &&
           std::fseek(file, 0, SEEK_SET) == 0 && std::fwrite("HEAD", 1, 4, file) == 4;
  };
  EXPECT_FALSE(ReplaceFileContent(path, [&](std::FILE* file) { return headerLast(file) && false; }));
  EXPECT_EQ(ReadTextFile(path), "old content\n");
  EXPECT_EQ(EntriesIn(dir.Path("")), 1u);

  ASSERT_TRUE(ReplaceFileContent(path, headerLast));
  EXPECT_EQ(ReadTextFile(path), "HEAD" + body);

  std::filesystem::create_hard_link(path, dir.Path("other.zip"));
  WriteTextFile(path, "old content\n");
  ASSERT_TRUE(ReplaceFileContent(path, headerLast));
  EXPECT_EQ(ReadTextFile(dir.Path("other.zip")), "HEAD" + body);
  EXPECT_EQ(EntriesIn(dir.Path("")), 2u);
}
}  // namespace
