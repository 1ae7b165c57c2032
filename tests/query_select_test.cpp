#include <algorithm>
#include <cctype>
#include <random>

#include "tests/query_fixture.h"

TEST(QuerySelect, WhereClauseAndStatus) {
  QueryFixture db;
  EXPECT_EQ(db.Select("select Name from Parts where Name = 'WING'"), (Rows{"Wing", "wing"}));
  EXPECT_EQ(db.Run("select * from Parts where Name = 'nothing'"), S_FALSE);
  EXPECT_TRUE(db.Rows().empty());
  EXPECT_EQ(db.Run("select * from Parts where 0"), S_OK);
  EXPECT_TRUE(db.Rows().empty());
  TraceCapture traces;
  EXPECT_EQ(db.Run("select * from Parts where Nope = 1"), E_FAIL);
  EXPECT_EQ(traces.Lines(), std::vector<std::string>{"tSqlQueryEngine: Query (select * from Parts where Nope = 1) "
                                                     "failed, illegal where clause (Nope = 1)\n"});
}

TEST(QuerySelect, PseudoColumns) {
  QueryFixture db(PartsTable() + TableText("Empty", "A|B", "String|Int"));
  EXPECT_EQ(db.Select("select System.RowNumber, Name from Parts where Count > 5"), (Rows{"r2|tail", "r3|Flap"}));
  EXPECT_EQ(db.Select("select System.ErrorState,System.RowState from Parts where Name = 'Flap'"), Rows{"0|Unchanged"});
  EXPECT_EQ(db.Select("select System.TableDefinition from Empty"), Rows{"A|B"});
  EXPECT_EQ(db.Select("select System.TableType from Empty"), Rows{"String|Int"});
  EXPECT_EQ(db.Select("select Name from Parts where System.RowNumber = R3"), Rows{"Flap"});
  TraceCapture traces;
  EXPECT_EQ(db.Run("select Name from Parts where System.RowNumber = r9"), E_FAIL);
  EXPECT_TRUE(traces.Contains("select statement using System.RowNumber failed to find the row, possible problem???\n"));
}

TEST(QuerySelect, DeletedRowsShowOnlyWithRowState) {
  QueryFixture db;
  ASSERT_EQ(db.Run("delete from Parts where Group = 'Trim'"), S_OK);
  EXPECT_EQ(db.Select("select Name from Parts"), (Rows{"Wing", "tail"}));
  EXPECT_EQ(db.Select("select System.RowState,Name from Parts where Count > 2"),
            (Rows{"Unchanged|Wing", "Unchanged|tail", "Deleted|Flap"}));
  EXPECT_EQ(db.Select("select Name from Parts where System.RowState = deleted"), (Rows{"Flap", "wing"}));
  EXPECT_EQ(db.Select("select Name from Parts where System.RowState = Any").size(), 4u);
  EXPECT_EQ(db.Run("select Name from Parts where System.RowState = X"), E_FAIL);
  EXPECT_EQ(db.Select("select Name from Parts where System.ErrorState = 0").size(), 4u);
  EXPECT_EQ(db.Run("select Name from Parts where System.ErrorState != 0"), S_OK);
  EXPECT_TRUE(db.Rows().empty());
}

TEST(QuerySelect, PreviousValuesOnlyOnEditedRows) {
  QueryFixture db;
  ASSERT_EQ(db.Run("update Parts set Name = 'Slat' where Name = 'Flap'"), S_OK);
  EXPECT_EQ(db.Select("select $Name,Name from Parts where System.RowState = Edited"), Rows{"Flap|Slat"});
  EXPECT_EQ(db.Select("select $* from Parts"), Rows{"Flap|Trim|9|100"});
  EXPECT_EQ(db.Run("select $Name from Parts where Count = 3"), S_FALSE);  // left out silently
}

TEST(QuerySelect, DistinctIgnoresCaseAndSurroundingBlanks) {
  QueryFixture db(TableText("G", "Group|Other", "String|String", {"a Loads|1", "b loads|2", "c Loads |3", "d Trim|4"}));
  EXPECT_EQ(db.Select("select distinct Group from G"), (Rows{"Loads", "Trim"}));
}

TEST(QuerySelect, TopCountsRowsBeforeOrdering) {
  QueryFixture db;
  EXPECT_EQ(db.Select("select top 2 Name from Parts order by Name"), (Rows{"tail", "Wing"}));
  EXPECT_EQ(db.Select("select top 2 distinct Group from Parts"), (Rows{"Loads", "Trim"}));
}

// The first cells of the rows, folded to upper case: rows with equal keys keep no particular order.
Rows SortKeys(const Rows& rows) {
  Rows keys;
  for (const std::string& row : rows) {
    std::string key = row.substr(0, row.find('|'));
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    keys.push_back(key);
  }
  return keys;
}

TEST(QuerySelect, OrderByFollowsTheColumnType) {
  // The last row sorts first, so a sort that leaves it out shows.
  QueryFixture db(TableText("T", "Name|Width", "String|Float",
                            {"a b|10", "b ab|9", "c B|-1", "d a|2.5", "e b|100", "f A|0"}));
  EXPECT_EQ(db.Select("select Width from T order by Width"), (Rows{"-1", "0", "2.5", "9", "10", "100"}));
  EXPECT_EQ(SortKeys(db.Select("select * from T order by Name")), (Rows{"A", "A", "AB", "B", "B", "B"}));
  TraceCapture traces;
  EXPECT_EQ(SortKeys(db.Select("select Width,Name from T order by Missing")),
            (Rows{"-1", "0", "10", "100", "2.5", "9"}));
  EXPECT_EQ(std::count(traces.Lines().begin(), traces.Lines().end(),
                       "tQueryString: Sort algorithm attempted on non existant column... FIX!!!\n"),
            6);
}

TEST(QuerySelect, UnknownOrMissingCellsFailTheStatement) {
  QueryFixture db(TableText("T", "Name|Count", "String|Int", {"a x|1", "b y", "c z|3"}));
  TraceCapture traces;
  EXPECT_EQ(db.Run("select Nope from T"), E_FAIL);
  EXPECT_TRUE(db.Rows().empty());
  EXPECT_EQ(traces.Lines().size(), 3u);
  EXPECT_EQ(traces.Lines()[0], "tSqlQueryEngine: Query (select Nope from T) failed, unknown column token (Nope) in query\n");
  EXPECT_EQ(db.Run("select Count from T"), E_FAIL);
  EXPECT_EQ(db.Rows(), (Rows{"1", "3"}));
}

TEST(QuerySelect, MiscFileQueryNeedsAQuotedName) {
  QueryFixture db(TableText("zBall", "zBallFileName|FullFileName", "String|String"));
  EXPECT_EQ(db.Run("select FullFileName from zBall where zBallFileName = chart"), E_FAIL);
  // A configuration that is no archive has nothing to extract: no row, but success.
  EXPECT_EQ(db.Run("select FullFileName from zBall where zBallFileName = 'chart.txt'"), S_OK);
  EXPECT_TRUE(db.Rows().empty());
}

// The radix sort against a plain comparison of the same byte order.
TEST(QueryResultSet, TextSortMatchesTheByteOrder) {
  std::mt19937 random(11);
  ResultSet results;
  const char alphabet[] = "aAbB|_z";
  for (int i = 0; i < 3000; ++i) {
    tString text("");
    for (int n = random() % 7; n > 0; --n) text.Append(alphabet[random() % 7]);
    results.Append(text);
  }
  SortResults(results, 0, false);
  auto key = [](const char* text) {
    std::string folded;
    for (; *text && *text != '|'; ++text) folded += static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
    return folded;
  };
  std::vector<std::string> keys;
  while (tQueryString* row = results.Next()) keys.push_back(key(row->text.c_str()));
  EXPECT_EQ(keys.size(), 3000u);
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
}

TEST(QueryResultSet, NumberSortToleratesAnyText) {
  ResultSet results;
  for (const char* text : {"x|3", "x|nan", "x|-2", "x|", "x|1e3", "x|nan", "x", "x|0.5"}) results.Append(tString(text));
  TraceCapture traces;
  SortResults(results, 1, true);
  EXPECT_EQ(results.Count(), 8);
  EXPECT_EQ(traces.Lines().size(), 1u);  // the row without a second field
}
