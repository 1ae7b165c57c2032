#include "tests/query_fixture.h"

namespace {
std::string LogTable() {
  return TableText("LogBehavior", "LogName|Show|Save|PropertyBag", "String|String|String|String",
                   {"a TestPointLog|Yes|Yes|", "b EventLog|Yes|No|", "c testpointlog|No|No|x"});
}
}  // namespace

// A "|" inside an assigned cell makes two cells, and the width is forced after
// it as after a whole row: the fields behind the table's last column go.
TEST(QueryUpdate, EveryWrittenRowTakesTheTablesWidth) {
  QueryFixture db(LogTable());
  ASSERT_EQ(db.Run("update LogBehavior set * = a|b"), S_OK);
  ASSERT_EQ(db.Run("update LogBehavior set * = c|d|e|f|g"), S_OK);
  ASSERT_EQ(db.Run("update LogBehavior set Show = 'p|q' where LogName = 'EventLog'"), S_OK);
  ASSERT_EQ(db.Run("update LogBehavior set Show = 'r|s|t' where LogName = 'None'"), S_OK);
  EXPECT_EQ(db.Select("select System.RowState,* from LogBehavior"),
            (Rows{"Unchanged|TestPointLog|Yes|Yes|", "Edited|EventLog|p|q|No", "Unchanged|testpointlog|No|No|x",
                  "New|a|b||", "New|c|d|e|f", "New||r|s|t"}));
}

TEST(QueryUpdate, AssignmentInsertFillsNamedCells) {
  QueryFixture db(TableText("State", "ParameterDefaults|Group|IsActive|PropertyBag", "String|String|String|String"));
  ASSERT_EQ(db.Run("update State set ParameterDefaults = 'ParameterSet1', IsActive = 'True', where 0"), S_OK);
  EXPECT_EQ(db.Select("select System.RowState,* from State"), Rows{"New|ParameterSet1||True|"});
  ASSERT_EQ(db.Run("update State set ParameterDefaults = 'Set2', Group = 'g', "), S_OK);
  EXPECT_EQ(db.Select("select * from State where System.RowState = New"), (Rows{"ParameterSet1||True|", "Set2|g||"}));
}

TEST(QueryUpdate, UpsertChangesEveryMatchOrInsertsOne) {
  QueryFixture db(LogTable());
  ASSERT_EQ(db.Run("update LogBehavior set * = TestPointLog|No|No| where LogName = 'TestPointLog'"), S_OK);
  EXPECT_EQ(db.Select("select System.RowNumber,System.RowState,$Show,Show from LogBehavior where System.RowState = E"),
            (Rows{"a|Edited|Yes|No", "c|Edited|No|No"}));
  ASSERT_EQ(db.Run("update LogBehavior set * = NewLog|No|No| where LogName = 'NewLog'"), S_OK);
  EXPECT_EQ(db.Select("select Show from LogBehavior where LogName = 'NewLog'"), Rows{"No"});
}

TEST(QueryUpdate, Updat2NeverInsertsAndUpdat3NeverChanges) {
  QueryFixture db(LogTable());
  ASSERT_EQ(db.Run("updat2 LogBehavior set Save = 'x' where LogName = 'None'"), S_OK);
  ASSERT_EQ(db.Run("updat2 LogBehavior set Save = 'x' where 0"), S_OK);
  ASSERT_EQ(db.Run("updat3 LogBehavior set * = EventLog|1 where LogName = 'EventLog'"), S_OK);
  EXPECT_EQ(db.Select("select System.RowState from LogBehavior"), (Rows{"Unchanged", "Unchanged", "Unchanged"}));
  ASSERT_EQ(db.Run("updat3 LogBehavior set * = Other|1 where LogName = 'Other'"), S_OK);
  ASSERT_EQ(db.Run("updat2 LogBehavior set Save = 'x' where LogName = 'EventLog'"), S_OK);
  EXPECT_EQ(db.Select("select System.RowState,* from LogBehavior"),
            (Rows{"Unchanged|TestPointLog|Yes|Yes|", "Edited|EventLog|Yes|x|", "Unchanged|testpointlog|No|No|x",
                  "New|Other|1||"}));
}

TEST(QueryUpdate, QuotedValuesKeepCommasAndDoubledQuotes) {
  QueryFixture db(LogTable());
  ASSERT_EQ(db.Run("update LogBehavior set Show = 'a,b', PropertyBag = 'it''s' where LogName = 'EventLog'"), S_OK);
  ASSERT_EQ(db.Run("update LogBehavior set Save = bare text , Show = '' where LogName = 'TestPointLog'"), S_OK);
  EXPECT_EQ(db.Select("select * from LogBehavior where System.RowState = Edited"),
            (Rows{"TestPointLog||bare text|", "EventLog|a,b|No|it's", "testpointlog||bare text|x"}));
}

// A failing assignment leaves the row as it was, earlier assignments included.
TEST(QueryUpdate, FailedAssignmentsAreLoggedPerRowAndChangeNothing) {
  QueryFixture db(LogTable());
  TraceCapture traces;
  EXPECT_EQ(db.Run("update LogBehavior set Show = 'z', Missing = 'x' where 1"), S_OK);
  EXPECT_EQ(traces.Lines().size(), 3u);
  EXPECT_EQ(traces.Lines()[0], "tSqlQueryEngine: Query (update LogBehavior set Show = 'z', Missing = 'x' where 1) "
                               "failed, ColumnName (Missing) in set statement not defined in table\n");
  EXPECT_EQ(db.Run("select * from LogBehavior where System.RowState = Edited"), S_OK);
  EXPECT_TRUE(db.Rows().empty());
  EXPECT_EQ(db.Select("select Show from LogBehavior where LogName = 'EventLog'"), Rows{"Yes"});
  EXPECT_EQ(db.Run("update LogBehavior set Show = 'z', Save where 1"), S_OK);
  EXPECT_EQ(db.Run("update LogBehavior set Show 'z' where 1"), E_FAIL);
  EXPECT_TRUE(traces.Contains("failed, set statement not properly formed\n"));
}

TEST(QueryUpdate, RowNumberFormTakesOnlyWholeRows) {
  QueryFixture db(LogTable());
  ASSERT_EQ(db.Run("update LogBehavior set * = a|b where System.RowNumber = 12-x"), S_OK);
  ASSERT_EQ(db.Run("update LogBehavior set * = z where System.RowNumber = B"), S_OK);
  EXPECT_EQ(db.Select("select System.RowNumber,* from LogBehavior where System.RowState = Edited"), Rows{"b|z|||"});
  EXPECT_EQ(db.Select("select System.RowNumber,* from LogBehavior where System.RowState = New"), Rows{"12-x|a|b||"});
  TraceCapture traces;
  EXPECT_EQ(db.Run("update LogBehavior set Show = 'a' where System.RowNumber = 12-x"), E_FAIL);
  EXPECT_EQ(traces.Lines(), std::vector<std::string>{
                                "tSqlQueryEngine::handleUpdateStatement, illegal statement using System.RowNumber and "
                                "'Set' option failed. Need to fix this code eventually!\n"});
}

TEST(QueryUpdate, ANewColumnListSetsTheWidthOfNewRows) {
  QueryFixture db(LogTable());
  ASSERT_EQ(db.Run("update LogBehavior set System.TableDefinition = LogName|Show where 1"), S_OK);
  ASSERT_EQ(db.Run("update LogBehavior set * = a|b|c"), S_OK);
  EXPECT_EQ(db.Select("select System.TableDefinition from LogBehavior"), Rows{"LogName|Show"});
  EXPECT_EQ(db.Select("select * from LogBehavior where LogName = 'a'"), Rows{"a|b"});
  EXPECT_EQ(db.Run("update Missing set * = a"), E_FAIL);
}

TEST(QueryDelete, MarksRowsUntilCommit) {
  QueryFixture db(LogTable());
  ASSERT_EQ(db.Run("Delete * from LogBehavior"), S_OK);
  EXPECT_EQ(db.Run("select * from LogBehavior"), S_FALSE);
  EXPECT_EQ(db.Select("select System.RowState from LogBehavior"), (Rows{"Deleted", "Deleted", "Deleted"}));
  ASSERT_EQ(db.Run("update LogBehavior set * = x|1"), S_OK);
  ASSERT_EQ(db.Run("update LogBehavior set * = y|2"), S_OK);
  EXPECT_EQ(db.engine.Commit(), S_OK);
  EXPECT_EQ(db.Select("select System.RowState,* from LogBehavior"), (Rows{"Unchanged|x|1||", "Unchanged|y|2||"}));
  EXPECT_EQ(db.engine.CommitTable("Missing"), E_FAIL);
}

TEST(QueryDelete, WhereFormsChooseTheRows) {
  QueryFixture db(LogTable());
  ASSERT_EQ(db.Run("delete from LogBehavior where Save = 'No'"), S_OK);
  ASSERT_EQ(db.Run("delete from LogBehavior where System.RowNumber = A"), S_OK);
  EXPECT_EQ(db.Run("select * from LogBehavior"), S_FALSE);
  TraceCapture traces;
  EXPECT_EQ(db.Run("delete from LogBehavior where System.RowNumber = zz"), E_FAIL);
  EXPECT_EQ(db.Run("delete from Nowhere"), E_FAIL);
  EXPECT_EQ(db.Run("delete from LogBehavior where System.ErrorState = 0"), E_NOTIMPL);
  EXPECT_EQ(traces.Lines(), (std::vector<std::string>{
                                "tSqlQueryEngine::handleDeleteStatement, delete statement using System.RowNumber failed "
                                "to find the row to delete!!!!, Why???\n",
                                "tSqlQueryEngine: Query (delete from Nowhere) failed, unknown table (Nowhere)\n"}));
}

TEST(QueryDelete, RowStatePurgesAtOnce) {
  QueryFixture db(LogTable());
  ASSERT_EQ(db.Run("delete from LogBehavior where LogName = 'EventLog'"), S_OK);
  EXPECT_EQ(db.Run("delete from LogBehavior where System.RowState = Zebra"), E_FAIL);
  EXPECT_EQ(db.Select("select System.RowState from LogBehavior where System.RowState = Any").size(), 3u);
  ASSERT_EQ(db.Run("delete from LogBehavior where System.RowState = Deleted"), S_OK);
  EXPECT_EQ(db.Select("select System.RowNumber from LogBehavior where System.RowState = Any"), (Rows{"a", "c"}));
  ASSERT_EQ(db.Run("delete from LogBehavior where System.RowState = Any"), S_OK);
  EXPECT_EQ(db.Run("select * from LogBehavior"), S_FALSE);
}

// A line break in a value would split the row into several when the file is
// written, so no statement lets one into a row; breaks between assignments are
// only white space.
TEST(QueryUpdate, ValuesWithLineBreaksAreRefused) {
  QueryFixture db(LogTable());
  for (const char* statement : {"update LogBehavior set * = New\nLog|No|No|",
                                "update LogBehavior set * = a|b\r|c| where LogName = 'EventLog'",
                                "update LogBehavior set Show = 'x\ny' where LogName = 'EventLog'",
                                "update LogBehavior set Show = 'x', Save = 'y\rz' where 0",
                                "update LogBehavior set * = c|d where System.RowNumber = c\nd",
                                "update LogBehavior set System.TableDefinition = LogName|Show\nSave"})
    EXPECT_EQ(db.Run(statement), E_INVALIDARG) << statement;
  EXPECT_EQ(db.Select("select System.RowState,* from LogBehavior"),
            (Rows{"Unchanged|TestPointLog|Yes|Yes|", "Unchanged|EventLog|Yes|No|", "Unchanged|testpointlog|No|No|x"}));
  ASSERT_EQ(db.Run("update LogBehavior set Show = 'x',\n Save = 'y' where LogName = 'EventLog'"), S_OK);
  EXPECT_EQ(db.Select("select * from LogBehavior where LogName = 'EventLog'"), Rows{"EventLog|x|y|"});
}

// A loaded tree's names and values stand in the loaded text: an edit copies
// the value out, and rows that a commit recycled outlive the text they came
// from when another load has replaced it.
TEST(QueryUpdate, EditedValuesAndRecycledRowsOutliveTheLoadedText) {
  QueryFixture db;
  ASSERT_EQ(db.Run("update Parts set Count = 7 where Name = 'tail'"), S_OK);
  EXPECT_EQ(db.Select("select Name,$Count,Count from Parts where System.RowState = Edited"), Rows{"tail|10|7"});
  ASSERT_EQ(db.Run("delete * from Parts where Group = 'Trim'"), S_OK);
  ASSERT_EQ(db.engine.Commit(), S_OK);
  EXPECT_EQ(db.Select("select Name,Count from Parts"), (Rows{"Wing|3", "tail|7"}));

  const std::string other = db.dir.Path("other");
  WriteTextFile(other, "Root VersionFivePointZero\n{\n" + TableText("Parts", "Name|Count", "String|Int") + "}\n");
  ASSERT_NE(db.source.LoadAttributesFromFile(other.c_str()), nullptr);
  tSqlQueryEngine engine(&db.source);
  for (const char* statement : {"update Parts set * = Rib|4", "update Parts set * = Spar|5", "update Parts set * = Skin|6"})
    ASSERT_EQ(engine.Query(statement, &db.results), S_OK);
  ASSERT_EQ(engine.Query("select * from Parts", &db.results), S_OK);
  EXPECT_EQ(db.Rows(), (Rows{"Rib|4", "Spar|5", "Skin|6"}));
  ASSERT_EQ(db.source.SaveToFile(db.dir.Path("saved").c_str()), S_OK);
  tConfigSource reloaded;
  ASSERT_NE(reloaded.LoadAttributesFromFile(db.dir.Path("saved").c_str()), nullptr);
  EXPECT_EQ(Dump(reloaded.Root()), Dump(db.source.Root()));
}
