// vexacfg diff and check, end to end.

#include "tests/tool_fixture.h"

TEST_F(Tool, DiffNamesAddedRemovedAndChangedRowsAndTables) {
  const std::string a = ColorsFile("a.cfg", {"1|x", "2|y", "3|z", "3|z"});
  const std::string b = ColorsFile("b.cfg", {"3|z", "2|Y", "4|w", "3|z"});
  EXPECT_EQ(Run("diff " + a + " " + a).exitCode, 0);
  EXPECT_EQ(Run("diff " + a + " " + a).out, "");

  const Outcome rows = Run("diff " + a + " " + b);
  EXPECT_EQ(rows.exitCode, 1);
  EXPECT_EQ(rows.out, "Colors: removed 1|x\nColors: changed 2: PropertyBag \"y\" -> \"Y\"\nColors: added 4|w\n");
  EXPECT_EQ(Run("diff " + a + " " + b + " --table colors --mode json").out,
            "[\n{\"table\":\"Colors\",\"change\":\"removed\",\"row\":{\"Color\":\"1\",\"PropertyBag\":\"x\"}},\n"
            "{\"table\":\"Colors\",\"change\":\"changed\",\"key\":\"2\",\"cells\":{\"PropertyBag\":{\"from\":\"y\","
            "\"to\":\"Y\"}}},\n"
            "{\"table\":\"Colors\",\"change\":\"added\",\"row\":{\"Color\":\"4\",\"PropertyBag\":\"w\"}}\n]\n");
  // Keyed on the other column, the rows pair up differently.
  EXPECT_EQ(Run("diff " + a + " " + b + " --key PropertyBag").out,
            "Colors: removed 1|x\nColors: removed 2|y\nColors: added 2|Y\nColors: added 4|w\n");
  EXPECT_EQ(Run("diff " + a + " " + b + " --table Colors --key Nope").exitCode, 2);
  EXPECT_EQ(Run("diff " + a + " " + Quoted("none.cfg")).exitCode, 2);
  EXPECT_EQ(Run("diff " + a + " " + b + " --table Nowhere").exitCode, 2);

  WriteTextFile(dir.Path("c.cfg"), ReadTextFile(dir.Path("a.cfg")));
  ASSERT_EQ(Run("query " + Quoted("c.cfg") + " \"update Colors set System.TableDefinition = Color|Bag where 0\" " +
                "\"update Colors set * = 1|changed where Color = 1\" --save")
                .exitCode,
            0);
  // Rows are compared on the columns both definitions have.
  EXPECT_EQ(Run("diff " + a + " " + Quoted("c.cfg")).out, "Colors: columns Color|PropertyBag -> Color|Bag\n");

  ASSERT_EQ(Run("query " + b + " \"drop table Colors\" \"create table Extra (Name String )\" --save").exitCode, 0);
  const Outcome tables = Run("diff " + a + " " + b);
  EXPECT_NE(tables.out.find("Colors: table removed\n"), std::string::npos) << tables.out;
  EXPECT_NE(tables.out.find("Extra: table added\n"), std::string::npos) << tables.out;
}

TEST_F(Tool, DiffFindsTheOneNewRowAmongManyRows) {
  std::string rows;
  for (int i = 0; i < 100000; ++i) rows += "      0-" + std::to_string(i) + " " + std::to_string(i) + "|bag" + std::to_string(i) + "\n";
  auto file = [&](const std::string& name, const std::string& extra) {
    WriteTextFile(dir.Path(name), "Root VersionFivePointZero\n{\nTable Colors\n{\nTableDefinition Color|PropertyBag\n"
                                  "TableType Color|string\nTableContents\n{\n" + rows + extra + "}\n}\n}\n");
  };
  file("big-a.cfg", "");
  file("big-b.cfg", "      0-x 100000|new\n");
  const Outcome big = Run("diff " + Quoted("big-a.cfg") + " " + Quoted("big-b.cfg"));
  EXPECT_EQ(big.out, "Colors: added 100000|new\n");
}

TEST_F(Tool, CheckFindsWhatDiffersFromTheTemplate) {
  const std::string clean = ColorsFile("clean.cfg", {"1|x"});
  const Outcome ok = Run("check " + clean);
  EXPECT_EQ(ok.exitCode, 0) << ok.out;
  EXPECT_EQ(ok.out, "");

  std::string text = ReadTextFile(dir.Path("clean.cfg"));
  auto replace = [&](const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  };
  replace("Table Colors", "Table Colours");
  replace("TableDefinition Color|PropertyBag", "TableDefinition Color|Bag");
  replace("1|x", "1|x|extra");
  const size_t row = text.find("1|x|extra");
  const size_t lineStart = text.rfind('\n', row) + 1;
  const std::string rowLine = text.substr(lineStart, text.find('\n', row) + 1 - lineStart);
  text.insert(lineStart, rowLine);  // the same row id twice
  const std::string rowId = rowLine.substr(rowLine.find_first_not_of(' '), rowLine.find(' ', rowLine.find_first_not_of(' ')) - rowLine.find_first_not_of(' '));
  text = text.substr(0, text.rfind('}'));  // ends inside the root's block
  WriteTextFile(dir.Path("damaged.cfg"), text);

  const Outcome damaged = Run("check " + Quoted("damaged.cfg"));
  EXPECT_EQ(damaged.exitCode, 1);
  EXPECT_EQ(damaged.out, "Colours: unknown table\n"
                         "Colours: row " + rowId + ": 3 cells where the definition has 2\n"
                         "Colours: row " + rowId + ": duplicate row id\n"
                         "Colours: row " + rowId + ": 3 cells where the definition has 2\n"
                         "Colors: missing table\n"
                         "line 2: the file ends inside the block opened here\n");
}
