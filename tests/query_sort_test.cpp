#include <algorithm>
#include <random>

#include "tests/query_fixture.h"

namespace {
// Rows "r<i> <name>|<group>|<i>|note" of the table T: Name|Group|Count|Note.
std::string KeyTable(int rows, const std::string& group = "") {
  std::vector<std::string> lines;
  for (int i = 0; i < rows; ++i)
    lines.push_back("r" + std::to_string(i) + " n" + std::to_string(i) + "|" + (group.empty() ? "g" + std::to_string(i % 7) : group) +
                    "|" + std::to_string(i) + "|note");
  return TableText("T", "Name|Group|Count|Note", "String|String|Int|String", lines);
}

tAtrribute* Contents(QueryFixture& db) {
  tTable table;
  EXPECT_EQ(OpenTable(db.source.Root(), "T", table), S_OK);
  return table.contents;
}

Rows Sorted(Rows rows) {
  std::sort(rows.begin(), rows.end());
  return rows;
}
}  // namespace

TEST(QuerySort, SizesTheIndexForFourRowsPerBinAndKeyColumn) {
  QueryFixture small(KeyTable(100)), medium(KeyTable(8000)), large(KeyTable(100000));
  ASSERT_EQ(small.Run("sort table T on Name"), S_OK);
  EXPECT_EQ(Contents(small)->index->BinCount(), 1024);
  ASSERT_EQ(medium.Run("sort table T on Name"), S_OK);
  EXPECT_EQ(Contents(medium)->index->BinCount(), 2048);
  ASSERT_EQ(medium.Run("sort table T on Name,Group"), S_OK);
  EXPECT_EQ(Contents(medium)->index->BinCount(), 4096);
  EXPECT_EQ(Contents(medium)->index->ItemCount(), 16000);
  ASSERT_EQ(large.Run("sort table T on Name"), S_OK);
  EXPECT_EQ(Contents(large)->index->BinCount(), 32768);
  EXPECT_EQ(large.Select("select Count from T where Name = 'N99999'"), Rows{"99999"});
}

TEST(QuerySort, LongChainsWarnAndVeryLongChainsDropTheIndex) {
  QueryFixture few(KeyTable(20, "same")), many(KeyTable(10001, "same"));
  TraceCapture traces;
  ASSERT_EQ(few.Run("sort table T on Group"), S_OK);
  EXPECT_EQ(traces.Lines(), std::vector<std::string>{
                                "tSqlQueryEngine::parseAndExecuteSortStatement, Opto alert: Hash table max bin size was "
                                "(19). Reconsider hash technique or size used for table (T) using PrimaryKey (Group)\n"});
  EXPECT_NE(Contents(few)->index, nullptr);
  ASSERT_EQ(many.Run("sort table T on Group"), S_OK);
  EXPECT_TRUE(traces.Contains("max bin size was (10000). PrimaryKey (Group) removed completely from table (T)\n"));
  EXPECT_EQ(Contents(many)->index, nullptr);
  EXPECT_EQ(many.Select("select Count from T where Name = 'n5'"), Rows{"5"});
}

TEST(QuerySort, UnknownTablesAndColumns) {
  QueryFixture db(KeyTable(3));
  TraceCapture traces;
  EXPECT_EQ(db.Run("sort table Missing on Name"), E_FAIL);
  EXPECT_TRUE(traces.Contains("Query (sort table Missing on Name) failed, invalid table (Missing) for sort statement\n"));
  ASSERT_EQ(db.Run("sort table T on Name,Nope"), S_OK);
  EXPECT_EQ(std::count(traces.Lines().begin(), traces.Lines().end(),
                       "tSqlQueryEngine: Query (sort table T on Name,Nope) failed, unknown column token (Nope) in query\n"),
            3);
  EXPECT_EQ(Contents(db)->index->ItemCount(), 3);
  EXPECT_EQ(db.Select("select Count from T where Name = 'n1'"), Rows{"1"});
}

TEST(QuerySort, RowNumberKeysFindRowsByIdThroughTheIndex) {
  QueryFixture db(KeyTable(50));
  ASSERT_EQ(db.Run("sort table T on System.RowNumber"), S_OK);
  tAtrribute* contents = Contents(db);
  EXPECT_EQ(contents->indexKeyMode, kIndexByName);
  ASSERT_NE(contents->FindChild("R7"), nullptr);
  EXPECT_STREQ(contents->FindChild("R7")->value.c_str(), "n7|g0|7|note");
  TraceCapture traces;
  EXPECT_EQ(db.Select("select Count from T where System.RowNumber = r7"), Rows{"7"});
  ASSERT_EQ(db.Run("update T set * = x|y|1|z where System.RowNumber = r8"), S_OK);
  ASSERT_EQ(db.Run("update T set * = new|y|1|z where System.RowNumber = r100"), S_OK);
  ASSERT_NE(contents->FindChild("r100"), nullptr);
  EXPECT_STREQ(contents->FindChild("r100")->value.c_str(), "new|y|1|z");
  ASSERT_EQ(db.Run("delete from T where System.RowNumber = r9"), S_OK);
  EXPECT_EQ(db.Select("select System.RowState,Name from T where System.RowState = Any").size(), 51u);
  EXPECT_FALSE(traces.Contains("Speed issues?"));

  // Keyed on a column, the rows are no longer looked up by id through the index.
  ASSERT_EQ(db.Run("sort table T on Name"), S_OK);
  EXPECT_EQ(contents->indexKeyMode, kIndexUnused);
  ASSERT_NE(contents->FindChild("r7"), nullptr);
  EXPECT_STREQ(contents->FindChild("r7")->value.c_str(), "n7|g0|7|note");
  ASSERT_EQ(db.Select("select Count from T where Group = 'g3'").size(), 7u);
  EXPECT_TRUE(traces.Contains("Speed issues? Hash setup on table, but primary key was not included in query"));
}

TEST(QueryCommit, RemovesDeletedRowsAndTheirKeys) {
  QueryFixture db(KeyTable(5));
  ASSERT_EQ(db.Run("sort table T on Name,Group"), S_OK);
  ASSERT_EQ(db.Run("Delete * from T"), S_OK);
  ASSERT_EQ(db.Run("update T set * = n1|a|1|x"), S_OK);
  ASSERT_EQ(db.Run("update T set * = n2|b|2|y"), S_OK);
  EXPECT_EQ(db.engine.Commit(), S_OK);
  EXPECT_EQ(db.Select("select System.RowState,* from T where System.RowState = Any"),
            (Rows{"Unchanged|n1|a|1|x", "Unchanged|n2|b|2|y"}));
  EXPECT_EQ(Contents(db)->index->ItemCount(), 4);
  EXPECT_EQ(db.Select("select Count from T where Name = 'N1'"), Rows{"1"});
  tTable table;
  ASSERT_EQ(OpenTable(db.source.Root(), "T", table), S_OK);
  EXPECT_EQ(table.table->state, kRowUnchanged);
  EXPECT_EQ(db.engine.Commit(), S_OK);  // nothing changed: nothing to do
}

// Every statement runs on an indexed copy and on a plain copy of the same
// table; selects by key through the index must give what full walks give. The
// key columns draw on shared values, so that one row often holds the same key
// (ignoring case) in several of them.
TEST(QueryIndex, RandomChangesKeepIndexedSelectsEqualToFullWalks) {
  const char* keyLists[] = {"Name", "Name,Group", "Group,Name", "Name,Group,Note"};
  for (unsigned seed = 1; seed <= 8; ++seed) {
    std::mt19937 random(seed);
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto name = [&] { return std::string(pick(2) ? "k" : "K") + std::to_string(pick(8)); };
    auto group = [&] { return pick(3) == 0 ? name() : std::string(pick(2) ? "g" : "G") + std::to_string(pick(3)); };
    std::vector<std::string> rows;
    for (int i = 0; i < 60; ++i)
      rows.push_back("r" + std::to_string(i) + " " + name() + "|" + group() + "|" + std::to_string(pick(9)) + "|" + group());
    const std::string text = TableText("T", "Name|Group|Count|Note", "String|String|Int|String", rows);
    QueryFixture indexed(text), plain(text);
    const std::string sort = std::string("sort table T on ") + keyLists[seed % 4];
    ASSERT_EQ(indexed.Run(sort), S_OK);

    for (int step = 0; step < 80; ++step) {
      std::string statement;
      switch (pick(9)) {
        case 0: statement = "update T set Name = '" + name() + "' where Name = '" + name() + "'"; break;
        case 1: statement = "update T set * = " + name() + "|" + group() + "|5|w where Group = '" + group() + "'"; break;
        case 2: statement = "update T set Note = '" + group() + "', Group = '" + group() + "' where Name = '" + name() + "' && Count > 3"; break;
        case 3: statement = "delete from T where Name = '" + name() + "'"; break;
        case 4: statement = "update T set Name = '" + name() + "', Count = 7 where 0"; break;
        case 5: statement = "update T set * = " + name() + "|" + group() + "|1|i"; break;
        case 6: statement = "delete from T where System.RowState = " + std::string(pick(2) ? "Deleted" : "Edited"); break;
        case 7: statement = "commit"; break;
        default: statement = sort; break;
      }
      if (statement == "commit") {
        ASSERT_EQ(indexed.engine.Commit(), plain.engine.Commit());
      } else if (statement != sort) {
        ASSERT_EQ(indexed.Run(statement), plain.Run(statement)) << statement;
      } else {
        ASSERT_EQ(indexed.Run(statement), S_OK);
      }
      for (const char* dump : {"select System.RowState,* from T where System.RowState = Any",
                               "select $*,* from T where System.RowState = Edited"}) {
        indexed.Run(dump);
        plain.Run(dump);
        ASSERT_EQ(indexed.Rows(), plain.Rows()) << "seed " << seed << " after " << statement;
      }
      for (int key = 0; key < 8; ++key) {
        for (std::string select : {"select * from T where Name = 'k" + std::to_string(key) + "'",
                                   "select * from T where Group = 'K" + std::to_string(key) + "'",
                                   "select * from T where Note = 'k" + std::to_string(key) + "'",
                                   "select $*,* from T where Group = 'G" + std::to_string(key % 3) + "' && Count < 6"}) {
          indexed.Run(select);
          plain.Run(select);
          ASSERT_EQ(Sorted(indexed.Rows()), Sorted(plain.Rows())) << "seed " << seed << " after " << statement << ": " << select;
        }
      }
    }
  }
}
