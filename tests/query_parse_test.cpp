#include <random>

#include "tests/query_fixture.h"

TEST(QueryParse, RefusesNullEmptyAndUnknownStatements) {
  QueryFixture db;
  EXPECT_EQ(db.engine.Query(nullptr, &db.results), E_POINTER);
  EXPECT_EQ(db.Run(""), E_INVALIDARG);
  EXPECT_EQ(db.Run(" select * from Parts"), E_INVALIDARG);  // the first word is empty
  EXPECT_EQ(db.Run("selectx * from Parts"), E_INVALIDARG);
  EXPECT_EQ(db.Run("update Parts set * = x|y"), S_OK);
  EXPECT_EQ(db.Run("commit"), E_INVALIDARG);
  EXPECT_EQ(db.Select("select System.RowState from Parts where Name = 'x'"), Rows{"New"});
  EXPECT_EQ(db.Run("sort table Parts on Name"), S_OK);
  EXPECT_EQ(db.Run("sort Parts on Name"), E_FAIL);
}

TEST(QueryParse, SelectClauses) {
  QueryFixture db;
  EXPECT_EQ(db.Select("select Name , Count from Parts where Group = 'Loads' order by Count"),
            (Rows{"Wing|3", "tail|10"}));
  EXPECT_EQ(db.Select("select top 3 Name from Parts"), (Rows{"Wing", "tail", "Flap"}));
  EXPECT_EQ(db.Select("select top Name from Parts"), Rows{"Wing"});
  EXPECT_EQ(db.Select("select top 0 Name from Parts").size(), 4u);
  EXPECT_EQ(db.Select("select top 99999999999999999999 Name from Parts").size(), 4u);
  EXPECT_EQ(db.Run("select from Parts"), E_FAIL);
  EXPECT_EQ(db.Run("select * Parts"), E_FAIL);
}

TEST(QueryParse, UpdateTakesTheLastWhere) {
  QueryFixture db;
  ASSERT_EQ(db.Run("update Parts set Group = 'a where b' where Name = 'Flap'"), S_OK);
  EXPECT_EQ(db.Select("select Group from Parts where Name = 'Flap'"), Rows{"a where b"});
  ASSERT_EQ(db.Run("update Parts set * = n|g|1|2 suggestedRowId 7-x"), S_OK);
  EXPECT_EQ(db.Select("select * from Parts where System.RowNumber = 7-x"), Rows{"n|g|1|2"});
  ASSERT_EQ(db.Run("Update Parts set * = |||Group = 'x'| where Name = 'tail' suggestedRowId 8-y"), S_OK);
  EXPECT_EQ(db.Select("select * from Parts where System.RowNumber = r2"), Rows{"|||Group = 'x'"});
  EXPECT_EQ(db.Run("select * from Parts where System.RowNumber = 8-y"), E_FAIL);
}

TEST(QueryParse, MalformedUpdatesAndDeletesAreLogged) {
  QueryFixture db;
  TraceCapture traces;
  EXPECT_EQ(db.Run("\tupdate Parts set * = a"), E_FAIL);
  EXPECT_EQ(db.Run("update Parts where x = 1"), E_FAIL);
  EXPECT_EQ(db.Run("delete"), E_FAIL);
  EXPECT_EQ(db.Run("delete * Parts"), E_FAIL);
  EXPECT_EQ(traces.Lines(), (std::vector<std::string>{
                                "tSqlQueryEngine: Illegal update statement, missing 'update' clause (\tupdate Parts set * = a)\n",
                                "tSqlQueryEngine: Illegal update statement, missing 'set' clause (update Parts where x = 1)\n",
                                "tSqlQueryEngine: Illegal delete statement, missing delete clause (delete)\n",
                                "tSqlQueryEngine: Illegal delete statement, missing 'from' clause (delete * Parts)\n"}));
}

TEST(QueryParse, CreateSplitsColumnsOutsideBrackets) {
  QueryFixture db;
  ASSERT_EQ(db.Run("create table Constants ( Name String, Type listQuery(select Value from V where Name = 'a,b'), "
                   "Kind list(x,y) )"),
            S_OK);
  EXPECT_EQ(db.Select("select System.TableDefinition from Constants"), Rows{"Name|Type|Kind"});
  EXPECT_EQ(db.Select("select System.TableType from Constants"),
            Rows{"String|listQuery(select Value from V where Name = 'a,b')|list(x,y)"});
  EXPECT_EQ(db.Run("create table Constants (Other Int)"), S_OK);
  EXPECT_EQ(db.Select("select System.TableDefinition from Constants"), Rows{"Name|Type|Kind"});
  ASSERT_EQ(db.Run("create table Empty ( )"), S_OK);
  EXPECT_EQ(db.Select("select System.TableType from Empty"), Rows{""});
  // The character before "(" is never part of the name.
  ASSERT_EQ(db.Run("create table AB(x Int)"), S_OK);
  EXPECT_EQ(db.Select("select System.TableDefinition from A"), Rows{"x"});
  EXPECT_EQ(db.Run("create table T (a String"), E_FAIL);
  EXPECT_EQ(db.Run("create T (a String)"), E_FAIL);
}

TEST(QueryParse, DropForgetsTheTable) {
  QueryFixture db;
  ASSERT_EQ(db.Select("select Name from Parts").size(), 4u);  // cached by the engine now
  EXPECT_EQ(db.Run("drop table Parts"), S_OK);
  EXPECT_EQ(db.Run("drop table Parts"), S_OK);
  TraceCapture traces;
  EXPECT_EQ(db.Run("select * from Parts"), E_FAIL);
  EXPECT_TRUE(traces.Contains("tSqlQueryEngine: Query (select * from Parts) failed, unknown 'From' table (Parts)\n"));
  EXPECT_EQ(db.Run("drop Parts"), E_FAIL);
}

TEST(QueryParse, AReloadedTreeIsNotServedFromTheOldOne) {
  QueryFixture db;
  ASSERT_EQ(db.Select("select Name from Parts").size(), 4u);
  std::string path = db.dir.Path("other");
  WriteTextFile(path, "Root V\n{\n" + TableText("Parts", "Name", "String", {"q only"}) + "}\n");
  ASSERT_NE(db.source.LoadAttributesFromFile(path.c_str()), nullptr);
  EXPECT_EQ(db.Select("select Name from Parts"), Rows{"only"});
}

// Whatever the text, a statement answers with a status and the tree stays usable.
TEST(QueryParse, SurvivesHostileStatements) {
  QueryFixture db;
  TraceCapture quiet;
  const std::string huge(1 << 20, 'x');
  for (const std::string& statement : std::vector<std::string>{
           "select " + huge, "select * from Parts where Name = '" + huge, "update Parts set Name = '" + huge + " where 1",
        "update Parts set * = " + huge, "create table " + huge + " (" + std::string(1 << 20, '('),
        "delete from Parts where " + std::string(1 << 20, ')'), "select top " + std::string(1 << 20, '9') + " * from Parts",
        "update Parts set where where where ", "select distinct from from ", "create table (", "update Parts set =",
        "update Parts set Name = 'a, Group = 'b where 1", "delete from Parts where System.RowState =",
        "select * from Parts where System.ErrorState", "select * from Parts order by "}) {
    HRESULT hr = db.Run(statement);
    EXPECT_NE(hr, E_UNEXPECTED);
  }
  std::mt19937 random(7);
  const char* pieces[] = {"select ", "update ", "updat2 ", "delete ", "create ", "drop ", "table ", "from ", "where ",
                          "set ", "* ", "= ", "'", "(", ")", ",", "|", "Parts ", "Name ", "Count ", "&& ", "|| ",
                          "top ", "distinct ", " order by ", "System.RowNumber ", "System.RowState ", "$", "1 ", "0 "};
  for (int i = 0; i < 3000; ++i) {
    std::string statement;
    for (int n = random() % 12; n >= 0; --n) statement += pieces[random() % std::size(pieces)];
    db.Run(statement);
  }
  EXPECT_EQ(db.Run("create table Fresh (A String)"), S_OK);
  EXPECT_EQ(db.Run("update Fresh set * = ok"), S_OK);
  EXPECT_EQ(db.Select("select A from Fresh"), Rows{"ok"});
}
