// Output modes, schema, export, import and statements from stdin, end to end.
#include "tests/tool_fixture.h"

TEST_F(Tool, EveryOutputModeNamesTheColumnsFromTheDefinition) {
  const std::string file = ColorsFile("m.cfg", {"1|plain", "22|say \\\"hi\\\", then go"});
  auto query = [&](const std::string& options, const std::string& statement = "select * from Colors") {
    const Outcome outcome = Run("query " + file + " \"" + statement + "\" " + options);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    return outcome.out;
  };
  EXPECT_EQ(query(""), "1|plain\n22|say \"hi\", then go\n");
  EXPECT_EQ(query("--header"), "Color|PropertyBag\n1|plain\n22|say \"hi\", then go\n");
  EXPECT_EQ(query("--mode csv --header"), "Color,PropertyBag\r\n1,plain\r\n22,\"say \"\"hi\"\", then go\"\r\n");
  EXPECT_EQ(query("--mode=tsv"), "1\tplain\n22\tsay \"hi\", then go\n");
  EXPECT_EQ(query("--mode json"),
            "[\n{\"Color\":\"1\",\"PropertyBag\":\"plain\"},\n{\"Color\":\"22\",\"PropertyBag\":\"say \\\"hi\\\", "
            "then go\"}\n]\n");
  EXPECT_EQ(query("--mode table", "select propertybag, COLOR from Colors where Color = 1"),
            "+-------------+-------+\n"
            "| PropertyBag | Color |\n"
            "+-------------+-------+\n"
            "| plain       | 1     |\n"
            "+-------------+-------+\n");
  EXPECT_EQ(query("--mode box", "select Color from Colors where Color = 1"),
            "┌───────┐\n│ Color │\n├───────┤\n│ 1     │\n└───────┘\n");
  EXPECT_EQ(query("--mode markdown", "select Color from Colors"), "| Color |\n|-------|\n| 1     |\n| 22    |\n");
  EXPECT_EQ(query("--mode line", "select System.RowState, * from Colors where Color = 1"),
            "System.RowState = Unchanged\n          Color = 1\n    PropertyBag = plain\n");
  // A select without rows: an empty JSON array, nothing in the other modes.
  EXPECT_EQ(query("--mode json", "select * from Colors where Color = 5"), "[]\n");
  EXPECT_EQ(query("--mode table --header", "select * from Colors where Color = 5"), "");
  // The collection commands take the modes too.
  EXPECT_EQ(Run("tables " + file + " --mode csv --header").out.substr(0, 17), "Table,Rows\r\nActua");
  EXPECT_EQ(Run("events " + file + " --mode json").out, "[]\n");
}

TEST_F(Tool, SchemaExportAndImport) {
  const std::string file = ColorsFile("x.cfg", {"1|a", "2|b, c"});
  EXPECT_EQ(Run("schema " + file + " colors").out, "Colors|Color|Color\nColors|PropertyBag|string\n");
  EXPECT_EQ(Run("schema " + file + " Nowhere").exitCode, 1);
  EXPECT_NE(Run("schema " + file).out.find("\nEventMarkerLog|Time|string\n"), std::string::npos);

  const Outcome exported = Run("export " + file + " Colors");
  EXPECT_EQ(exported.out, "Color,PropertyBag\r\n1,a\r\n2,\"b, c\"\r\n");
  EXPECT_EQ(Run("export " + file + " Colors --mode json").out,
            "[\n{\"Color\":\"1\",\"PropertyBag\":\"a\"},\n{\"Color\":\"2\",\"PropertyBag\":\"b, c\"}\n]\n");

  // The export reads back in, header and quoting included; a value may hold "where ".
  WriteTextFile(dir.Path("rows.csv"), exported.out + "3,\"somewhere \"\"else\"\"\"\n");
  const std::string target = ColorsFile("y.cfg", {});
  const Outcome imported = Run("import " + target + " Colors " + Quoted("rows.csv"));
  EXPECT_EQ(imported.exitCode, 0) << imported.err;
  EXPECT_EQ(Run("query " + target + " \"select * from Colors\"").out, "1|a\n2|b, c\n3|somewhere \"else\"\n");
  EXPECT_TRUE(std::filesystem::exists(dir.Path("y.cfg.Backup")));

  // One bad line: each is reported with its number, and the file is not touched.
  const std::string before = ReadTextFile(dir.Path("y.cfg"));
  WriteTextFile(dir.Path("bad.csv"), "4,d\n5\n6,\"open\n7,a|b\n8,e\n");
  const Outcome bad = Run("import " + target + " Colors " + Quoted("bad.csv"));
  EXPECT_EQ(bad.exitCode, 1);
  const std::string name = dir.Path("bad.csv");
  EXPECT_EQ(bad.err, "vexacfg: " + name + ":2: 1 fields where the table has 2 columns\nvexacfg: " + name +
                         ":3: a quoted field is not closed on its line\nvexacfg: " + name +
                         ":4: field 2 holds a \"|\"\nvexacfg: nothing imported\n");
  EXPECT_EQ(ReadTextFile(dir.Path("y.cfg")), before);
}

TEST_F(Tool, QueryReadsStatementsFromStdin) {
  const std::string file = ColorsFile("q.cfg", {"1|a", "2|b"});
  const Outcome read = Run("query " + file + " - --mode csv",
                           "select Color from Colors\n  where Color = 2;\nupdate Colors set * = 3|c\n"
                           "select * from Colors where Color = 3\n");
  EXPECT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(read.out, "2\r\n3,c\r\n");
  EXPECT_EQ(Run("query " + file + " - \"select * from Colors\"").exitCode, 2);
  const Outcome failing = Run("query " + file + " -", "select * from Colors where Nope = 1\nselect * from Colors\n");
  EXPECT_EQ(failing.exitCode, 1);
  EXPECT_EQ(failing.out, "");
  EXPECT_EQ(failing.err,
            "vexacfg: E_FAIL (0x80004005): select * from Colors where Nope = 1: illegal where clause (Nope = 1)\n");
}

TEST_F(Tool, ShellDotCommandsFromAScript) {
  const std::string file = ColorsFile("d.cfg", {"1|a"});
  WriteTextFile(dir.Path("more.txt"), "select Color\nfrom Colors;\n");
  const Outcome script = Run("shell " + file, ".mode csv\n.headers on\nselect * from Colors\n.read " +
                                                  dir.Path("more.txt") + "\n.schema colors\n.mode xml\n.help\n");
  EXPECT_EQ(script.exitCode, 1);
  EXPECT_EQ(script.out.substr(0, script.out.find(".changes")),
            "Color,PropertyBag\r\n1,a\r\nColor\r\n1\r\nTable,Column,Type\r\nColors,Color,Color\r\n"
            "Colors,PropertyBag,string\r\n");
  EXPECT_NE(script.out.find("\n.read FILE "), std::string::npos);
  EXPECT_EQ(script.err, "vexacfg: unknown mode xml (list, csv, tsv, json, table, box, markdown or line)\n");

  const Outcome bail = Run("shell --bail " + file, "select * from Nowhere\nselect * from Colors\n");
  EXPECT_EQ(bail.exitCode, 1);
  EXPECT_EQ(bail.out, "");
}
