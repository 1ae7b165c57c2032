#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include <set>

#include "platform/host_identity.h"
#include "store/attribute.h"
#include "store/row_id.h"
#include "store/table.h"
#include "tests/test_support.h"

namespace {
struct Database {
  tAtrribute root{"Root", "VersionFivePointZero", 0};
  Database() { CreateTable(&root, "DataDisplays", "A|B|C", "String|Int|Float"); }
  tTable Open(const char* name = "DataDisplays") {
    tTable table;
    EXPECT_EQ(OpenTable(&root, name, table), S_OK);
    return table;
  }
};
}  // namespace

TEST(TreeNodes, ChildrenKeepInsertionOrderAcrossRemovals) {
  tAtrribute parent("P", "", 0);
  tAtrribute* a = tAtrribute::CreateChild(&parent, "a", "1", 0);
  tAtrribute* b = tAtrribute::CreateChild(&parent, "b", "2", 0);
  tAtrribute::CreateChild(&parent, "c", "3", 0);
  EXPECT_EQ(b->parent, &parent);
  ASSERT_EQ(parent.RemoveChild(b), S_OK);
  EXPECT_EQ(parent.RemoveChild(b), E_FAIL);
  tAtrribute::CreateChild(&parent, "d", "4", 0);
  std::string order;
  ASSERT_EQ(parent.BeginChildren(), S_OK);
  while (tAtrribute* child = parent.NextChild()) order += child->name.c_str();
  EXPECT_EQ(order, "acd");
  EXPECT_EQ(parent.FindChild("A"), a);
  tAtrribute leaf;
  EXPECT_EQ(leaf.BeginChildren(), E_FAIL);
  EXPECT_EQ(leaf.RemoveChild(a), E_FAIL);
}

TEST(TreeNodes, RemoveChildrenByStateOrAll) {
  tAtrribute parent("P", "", 0);
  for (int state : {0, 3, 1, 3, 2}) tAtrribute::CreateChild(&parent, "row", "", state);
  parent.RemoveChildren(kRowDeleted, true, false);
  ASSERT_EQ(parent.ChildCount(), 3);
  EXPECT_EQ(parent.ChildAt(1)->state, kRowNew);
  parent.RemoveChildren(kRowAny, true, true);
  EXPECT_EQ(parent.ChildCount(), 0);
}

TEST(TreeNodes, DeepTreesAreDestroyedWithoutRecursion) {
  auto* root = new tAtrribute("Root", "v", 0);
  tAtrribute* node = root;
  for (int i = 0; i < 200000; ++i) node = tAtrribute::CreateChild(node, "n", "", 0);
  delete root;  // a recursive destructor would overflow the stack here
  SUCCEED();
}

TEST(TreeTables, CreateAndDropAreIdempotent) {
  Database db;
  tTable table = db.Open();
  tString id;
  AddRow(table, id, "1|2|3");
  EXPECT_EQ(CreateTable(&db.root, "datadisplays", "X", "String"), S_OK);
  EXPECT_STREQ(db.Open().definition->value.c_str(), "A|B|C");
  EXPECT_EQ(db.Open().contents->ChildCount(), 1);
  EXPECT_EQ(DropTable(&db.root, "Nothing"), S_OK);
  EXPECT_EQ(DropTable(&db.root, "DataDisplays"), S_OK);
  tTable gone;
  EXPECT_EQ(OpenTable(&db.root, "DataDisplays", gone), E_FAIL);
}

TEST(TreeTables, OpeningATableWithoutContentsAddsAnEmptyOne) {
  tAtrribute root("Root", "v", 0);
  tAtrribute* table = tAtrribute::CreateChild(&root, "Table", "Bare", 0);
  tAtrribute::CreateChild(table, "TableDefinition", "A|B", 0);
  tAtrribute::CreateChild(table, "TableType", "String|String", 0);
  tTable opened;
  ASSERT_EQ(OpenTable(&root, "bare", opened), S_OK);
  EXPECT_EQ(opened.contents->state, kRowNew);
  EXPECT_EQ(opened.ColumnCount(), 2);
  tAtrribute* broken = tAtrribute::CreateChild(&root, "Table", "Broken", 0);
  tAtrribute::CreateChild(broken, "TableDefinition", "A", 0);
  EXPECT_EQ(OpenTable(&root, "Broken", opened), E_FAIL);
}

TEST(TreeTables, RowChangesMarkTheTableAndCommitSettlesThem) {
  Database db;
  tTable table = db.Open();
  tString suggested("7-given");
  tAtrribute* kept = AddRow(table, suggested, "a");
  EXPECT_STREQ(kept->name.c_str(), "7-given");
  EXPECT_TRUE(suggested.IsEmpty());
  EXPECT_STREQ(kept->value.c_str(), "a||");
  EXPECT_EQ(kept->state, kRowNew);
  EXPECT_EQ(table.table->state, kTableModified);

  tAtrribute* doomed = AddRow(table, suggested, "b|1|2");
  EXPECT_NE(doomed->name.Compare("7-given"), 0);
  ASSERT_EQ(EditRow(table, kept, "x|1|2|3"), S_OK);
  EXPECT_STREQ(kept->value.c_str(), "x|1|2");
  EXPECT_STREQ(kept->previousValue.c_str(), "a||");
  EXPECT_EQ(kept->state, kRowEdited);
  MarkRowDeleted(table, doomed);
  EXPECT_EQ(doomed->state, kRowDeleted);

  ASSERT_EQ(CommitTable(table), S_OK);
  ASSERT_EQ(table.contents->ChildCount(), 1);
  EXPECT_EQ(table.contents->ChildAt(0), kept);
  EXPECT_EQ(kept->state, kRowUnchanged);
  EXPECT_EQ(table.table->state, kRowUnchanged);
}

TEST(RowIds, HaveTheDocumentedShapeAndDifferByCounter) {
  tString first, second;
  ASSERT_EQ(MakeRowId(first), S_OK);
  ASSERT_EQ(MakeRowId(second), S_OK);
  unsigned long n1 = std::stoul(first.c_str()), n2 = std::stoul(second.c_str());
  EXPECT_EQ(n2, n1 + 1);
  std::string id = first.c_str();
  EXPECT_EQ(id.find(' '), std::string::npos);
  size_t at = id.find('@');
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(id.substr(id.rfind('-') + 1), std::to_string(CurrentProcessId()));
  std::string calendar = id.substr(id.find('-') + 1, at - id.find('-') - 1);
  EXPECT_EQ(calendar.size(), 20u);
  EXPECT_NE(calendar.find(':'), std::string::npos);
}

// Local times made with mktime, so that the result holds in every time zone.
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm calendar{};
  calendar.tm_year = year - 1900, calendar.tm_mon = month - 1, calendar.tm_mday = day;
  calendar.tm_hour = hour, calendar.tm_min = minute, calendar.tm_sec = second, calendar.tm_isdst = -1;
  return std::mktime(&calendar);
}

TEST(RowIds, TheDayOfTheMonthHasTwoDigits) {
  EXPECT_EQ(RowIdTime(LocalTime(1980, 1, 2, 2, 3, 55)), "WedJan0202:03:551980");
  EXPECT_EQ(RowIdTime(LocalTime(1980, 1, 12, 2, 3, 55)), "SatJan1202:03:551980");
}

