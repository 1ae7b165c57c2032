#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/component_registry.h"
#include "storage/config_source.h"
#include "storage/text_pieces.h"
#include "storage/tree_parser.h"
#include "storage/zlib_obj.h"
#include "store/table.h"
#include "tests/test_support.h"

namespace {
const char* kSmallConfig =
    "Root VersionFivePointZero\n"
    "{\n"
    "   Table ParameterDefaultsState\n"
    "   {\n"
    "      TableDefinition ParameterDefaults|Group|isActive|PropertyBag\n"
    "      TableType String|String|list(True,False)|string\n"
    "      TableContents \n"
    "      {\n"
    "         0-WedJan0202:03:551980@noHostName-2400 ParameterSet1||True|\n"
    "      }\n"
    "   }\n"
    "}\n";

class Loader : public ::testing::Test {
 protected:
  tAtrribute* LoadText(const std::string& text, const std::string& name = "config.txt") {
    WriteTextFile(dir.Path(name), text);
    return source.LoadAttributesFromFile(dir.Path(name).c_str());
  }
  ScratchDir dir;
  tConfigSource source;
};
}  // namespace

TEST_F(Loader, ReadsTheWholeTreeInFileOrder) {
  tAtrribute* root = LoadText(kSmallConfig);
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(root->name.c_str(), "Root");
  EXPECT_STREQ(root->value.c_str(), "VersionFivePointZero");
  tTable table;
  ASSERT_EQ(OpenTable(root, "ParameterDefaultsState", table), S_OK);
  EXPECT_EQ(table.ColumnCount(), 4);
  EXPECT_STREQ(table.types->value.c_str(), "String|String|list(True,False)|string");
  ASSERT_EQ(table.contents->ChildCount(), 1);
  tAtrribute* row = table.contents->ChildAt(0);
  EXPECT_STREQ(row->name.c_str(), "0-WedJan0202:03:551980@noHostName-2400");
  EXPECT_STREQ(row->value.c_str(), "ParameterSet1||True|");
  EXPECT_EQ(row->state, kRowUnchanged);
  EXPECT_STREQ(table.contents->value.c_str(), "");
  EXPECT_STREQ(source.Path().c_str(), dir.Path("config.txt").c_str());
}

TEST_F(Loader, RootLineRules) {
  EXPECT_NE(LoadText("root VersionFivePointZero\n"), nullptr);
  EXPECT_STREQ(LoadText("Root   VersionFourPointZero   trailing words\n")->value.c_str(), "VersionFourPointZero");
  EXPECT_EQ(LoadText("Root\n{\n}\n"), nullptr);
  EXPECT_EQ(LoadText("Rooty VersionFivePointZero\n"), nullptr);
  TraceCapture traces;
  EXPECT_EQ(LoadText(""), nullptr);
  EXPECT_TRUE(traces.Contains("tConfigSource::LoadAttributesFromFile, failed in config file FGets.. Illegal config file?\n"));
  EXPECT_EQ(source.Root(), nullptr);
}

TEST_F(Loader, NodeLinesKeepInnerSpacesAndDropOuterOnes) {
  tAtrribute* root = LoadText(
      "Root V\n{\n  Table T\n  {\n  TableDefinition    A|B|C   \n  TableType String|String|String\n"
      "  TableContents\n  {\n  id1 a b|c|\n  id2\n  }\n  }\n}\n");
  ASSERT_NE(root, nullptr);
  tTable table;
  ASSERT_EQ(OpenTable(root, "T", table), S_OK);
  EXPECT_STREQ(table.definition->value.c_str(), "A|B|C");
  EXPECT_STREQ(table.contents->value.c_str(), "");
  EXPECT_STREQ(table.contents->ChildAt(0)->value.c_str(), "a b|c|");
  EXPECT_STREQ(table.contents->ChildAt(1)->value.c_str(), "");
}

TEST_F(Loader, CarriageReturnsAndBlankLinesChangeNothing) {
  std::string crlf;
  for (const char* p = kSmallConfig; *p; ++p) crlf += *p == '\n' ? std::string("\r\n") : std::string(1, *p);
  std::string expected = Dump(LoadText(kSmallConfig));
  EXPECT_EQ(Dump(LoadText(crlf)), expected);
  std::string blanks;
  for (const char* p = kSmallConfig; *p; ++p) blanks += *p == '\n' ? std::string("\n \n\t\n") : std::string(1, *p);
  EXPECT_EQ(Dump(LoadText(blanks)), expected);
}

TEST_F(Loader, BraceLinesCountOnlyTheirFirstCharacter) {
  // "{abc" opens a block; "}}" closes one; a block before any node line belongs
  // to the level's parent; a second block after a node adds further children.
  tAtrribute* root = LoadText("Root V\n{abc\nA 1\n{\nB 2\n}}\n{\nC 3\n}\nD 4\n}\nE 5\n");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Dump(root), "Root=V\n A=1\n  B=2\n  C=3\n D=4\n E=5\n");
}

TEST_F(Loader, TopLevelClosingLineEndsTheLoad) {
  tAtrribute* root = LoadText("Root V\n{\nTable A\n}\n}\nTable B\n");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Dump(root), "Root=V\n Table=A\n");
}

TEST_F(Loader, MissingClosingLinesAreClosedByTheEndAndSaidSo) {
  TraceCapture traces;
  tAtrribute* root = LoadText("Root V\n{\nTable A\n{\nTableDefinition X");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Dump(root), "Root=V\n Table=A\n  TableDefinition=X\n");
  EXPECT_TRUE(source.EndedInsideBlock());
  EXPECT_TRUE(traces.Contains("the input ended inside 2 open block(s)"));
  ASSERT_NE(LoadText("Root V\n{\nTable A\n{\nTableDefinition X\n}\n}\n"), nullptr);
  EXPECT_FALSE(source.EndedInsideBlock());
}

// The zero byte ends its line's text; the next line is a line of its own.
TEST_F(Loader, AZeroByteEndsTheTextOfItsLine) {
  const std::string text = std::string("Root V\n{\nr1 a\0b|c\nr2 d|e\n}\n", 26);
  TraceCapture traces;
  tAtrribute* root = LoadText(text);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Dump(root), "Root=V\n r1=a\n r2=d|e\n");
  EXPECT_TRUE(traces.Contains("a zero byte ends the line"));

  WriteArchive(dir.Path("zero.zip"), {{"VEXA/pfConfig", text}});
  root = source.LoadAttributesFromFile(dir.Path("zero.zip").c_str());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Dump(root), "Root=V\n r1=a\n r2=d|e\n");
}

// A plain file is read in chunks and most lines are handed out where they stand
// in a chunk; lines that run across the end of one, any blank or carriage
// return at the cut, must load exactly as from the archive's single buffer.
TEST_F(Loader, LinesAcrossReadChunksLoadAsFromOneBuffer) {
  std::string text = "Root V\r\n{\r\n";
  std::string expected = "Root=V\n";
  for (int i = 0; text.size() < 5 * 65536; ++i) {
    const std::string value = std::string(static_cast<size_t>(i * 37 % 301), static_cast<char>('a' + i % 26)) + "|" +
                              std::to_string(i);
    text += (i % 3 ? "  r" : "r") + std::to_string(i) + " " + value + (i % 5 ? "\r\n" : " \n") + (i % 7 ? "" : "\n");
    expected += " r" + std::to_string(i) + "=" + value + "\n";
  }
  text += "}\r\n";
  tAtrribute* root = LoadText(text);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Dump(root), expected);
  WriteArchive(dir.Path("chunks.zip"), {{"VEXA/pfConfig", text}});
  root = source.LoadAttributesFromFile(dir.Path("chunks.zip").c_str());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Dump(root), expected);
}

// The loaded text is held in pieces of bounded size, each ending at a line end,
// so that every line stands whole in one piece; a line longer than a piece
// gets a larger one. The size the input states only sizes the pieces, so one
// that is wrong either way changes nothing.
TEST(TextPieces, CutAtLineEndsAndTogetherAreTheInput) {
  std::string text;
  for (int i = 0; text.size() < 20000; ++i) text += std::string(static_cast<size_t>(i * 37 % 301), 'a') + "\n";
  text += std::string(5000, 'b') + "\n" + "last line without its feed";
  for (unsigned long long stated : {0ull, static_cast<unsigned long long>(text.size()), 10ull, 1ull << 40}) {
    size_t at = 0;
    std::vector<TextPiece> pieces;
    unsigned long long total = 0;
    // Reads come in odd sizes, as from an inflater.
    const auto read = [&](char* buffer, size_t room) -> long long {
      const size_t n = std::min({room, text.size() - at, size_t{777}});
      std::memcpy(buffer, text.data() + at, n);
      at += n;
      return static_cast<long long>(n);
    };
    ASSERT_EQ(ReadTextPieces(read, stated, pieces, total, 1024), PiecesRead::Done);
    EXPECT_EQ(total, text.size());
    std::string joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
      const std::string piece(pieces[i].text.get(), pieces[i].length);
      EXPECT_TRUE(piece.size() <= 1024 || piece.find('b') != std::string::npos) << stated;
      EXPECT_TRUE(i + 1 == pieces.size() || piece.back() == '\n') << stated;
      joined += piece;
    }
    EXPECT_EQ(joined, text) << stated;
  }
}

// A text of many pieces is parsed on a thread of its own while the pieces are
// read: the tree is the one a single piece gives, blocks open or closed across
// the cuts, and what follows the top level's close is never read.
TEST(TreeParser, PiecesParsedWhileReadMakeTheTreeOfOnePiece) {
  std::string text = "Root V\n{\n";
  std::string expected = "Root=V\n";
  for (int i = 0; text.size() < 50000; ++i) {
    const std::string name = "r" + std::to_string(i), value(static_cast<size_t>(i * 37 % 301), 'v');
    const std::string table = "T" + std::to_string(i);
    text += i % 50 ? name + " " + value + "\n" : "Table " + table + "\n{\n" + name + " " + value + "\n}\n";
    expected += i % 50 ? " " + name + "=" + value + "\n" : " Table=" + table + "\n  " + name + "=" + value + "\n";
  }
  for (const auto& [tail, openBlocks] :
       {std::pair<std::string, int>{"}\n", 0}, {"", 1}, {"}\n}\nr9 after the close\n", 0}}) {
    const std::string whole = text + tail;
    std::vector<TextPiece> pieces;
    tTreeParser parser;
    unsigned long long total = 0;
    size_t at = 0;
    const auto read = [&](char* buffer, size_t room) -> long long {
      const size_t n = std::min(room, whole.size() - at);
      std::memcpy(buffer, whole.data() + at, n);
      at += n;
      return static_cast<long long>(n);
    };
    ASSERT_EQ(ReadTextPieces(read, 0, pieces, total, 1024,
                             [&parser](TextPiece& piece) { parser.Add(piece.text.get(), piece.length); }),
              PiecesRead::Done);
    ASSERT_GT(pieces.size(), 40u);
    tAtrribute* root = nullptr;
    int open = -1;
    ASSERT_EQ(parser.Finish(root, open), tTreeParser::Outcome::Tree);
    EXPECT_EQ(open, openBlocks);
    EXPECT_TRUE(Dump(root) == expected) << tail;
    TreeNodePool().GiveBack(root, false);
  }
}

TEST_F(Loader, BadInputGivesNullOrATreeButNeverACrash) {
  EXPECT_EQ(source.LoadAttributesFromFile(nullptr), nullptr);
  EXPECT_EQ(source.LoadAttributesFromFile(""), nullptr);
  EXPECT_EQ(source.LoadAttributesFromFile(dir.Path("absent.txt").c_str()), nullptr);
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  EXPECT_EQ(LoadText(garbage), nullptr);
  std::string longLine = "Root V\n" + std::string(10 * 1024 * 1024, 'x') + " value\n";
  tAtrribute* root = LoadText(longLine);
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->ChildCount(), 1);
  EXPECT_EQ(root->ChildAt(0)->name.Length(), 10 * 1024 * 1024);
  std::string nested = "Root V\n";
  for (int i = 0; i < 100000; ++i) nested += "n\n{\n";
  EXPECT_NE(LoadText(nested), nullptr);
}

TEST_F(Loader, ExtensionsChooseTheStorageKind) {
  WriteArchive(dir.Path("a.ZIP"), {{"VEXA/pfConfig", kSmallConfig}});
  WriteArchive(dir.Path("a.zip.bak"), {{"VEXA/pfConfig", kSmallConfig}});
  EXPECT_NE(source.LoadAttributesFromFile(dir.Path("a.ZIP").c_str()), nullptr);
  EXPECT_NE(source.LoadAttributesFromFile(dir.Path("a.zip.bak").c_str()), nullptr);
  // The same text in files named .bak or .txt is plain text, an archive there is not.
  EXPECT_NE(LoadText(kSmallConfig, "plain.bak"), nullptr);
  WriteArchive(dir.Path("zipped.bak"), {{"VEXA/pfConfig", kSmallConfig}});
  EXPECT_EQ(source.LoadAttributesFromFile(dir.Path("zipped.bak").c_str()), nullptr);
}

TEST_F(Loader, ArchiveLoadsTheSameTreeAsPlainText) {
  std::string expected = Dump(LoadText(kSmallConfig));
  WriteArchive(dir.Path("c.zip"), {{"VEXA/MISC/other.txt", "x"}, {"VEXA/pfConfig", kSmallConfig}});
  TraceCapture traces;
  tAtrribute* root = source.LoadAttributesFromFile(dir.Path("c.zip").c_str());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Dump(root), expected);
  EXPECT_TRUE(traces.Contains("VexaTemplateLib::CreateAttributeBuffer() - Open/close took "));
  EXPECT_TRUE(traces.Contains(" seconds with a buffer size of " + std::to_string(std::strlen(kSmallConfig)) + " bytes\n"));
}

TEST_F(Loader, ArchiveFailuresAreTracedAndGiveNull) {
  TraceCapture traces;
  WriteArchive(dir.Path("nomember.zip"), {{"VEXA/MISC/other.txt", "x"}});
  EXPECT_EQ(source.LoadAttributesFromFile(dir.Path("nomember.zip").c_str()), nullptr);
  EXPECT_TRUE(traces.Contains("tConfigSource::LoadAttributesFromFile, failed in VexaZLibInterface OpenFile\n"));

  EXPECT_EQ(source.LoadAttributesFromFile(dir.Path("missing.zip").c_str()), nullptr);
  EXPECT_TRUE(traces.Contains("tConfigSource::LoadAttributesFromFile, failed in VexaZLibInterface OpenArchive\n"));

  WriteArchive(dir.Path("full.zip"), {{"VEXA/pfConfig", std::string(kSmallConfig) + std::string(100000, 'p')}});
  std::string bytes = ReadTextFile(dir.Path("full.zip"));
  WriteTextFile(dir.Path("truncated.zip"), bytes.substr(0, bytes.size() / 2));
  EXPECT_EQ(source.LoadAttributesFromFile(dir.Path("truncated.zip").c_str()), nullptr);

  WriteArchive(dir.Path("empty.zip"), {{"VEXA/pfConfig", ""}});
  EXPECT_EQ(source.LoadAttributesFromFile(dir.Path("empty.zip").c_str()), nullptr);
  EXPECT_TRUE(traces.Contains("tConfigSource::LoadAttributesFromFile, failed in VexaZLibInterface Zgets. Illegal config file?\n"));

  WriteArchive(dir.Path("badroot.zip"), {{"VEXA/pfConfig", "Root\n"}});
  EXPECT_EQ(source.LoadAttributesFromFile(dir.Path("badroot.zip").c_str()), nullptr);
}

TEST_F(Loader, MissingArchiveComponentIsTraced) {
  WriteArchive(dir.Path("c.zip"), {{"VEXA/pfConfig", kSmallConfig}});
  UnregisterComponent(kZlibObjProgId);
  TraceCapture traces;
  EXPECT_EQ(source.LoadAttributesFromFile(dir.Path("c.zip").c_str()), nullptr);
  RegisterArchiveComponent();
  EXPECT_TRUE(traces.Contains("tConfigSource::LoadAttributesFromFile, failed to create VexaZLibInterface.ZlibObj\n"));
  EXPECT_NE(source.LoadAttributesFromFile(dir.Path("c.zip").c_str()), nullptr);
}
