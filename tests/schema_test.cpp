#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "query/query_engine.h"
#include "schema/upgrade_statements.h"
#include "schema/version_names.h"
#include "schema/version_template.h"
#include "storage/config_source.h"
#include "store/table.h"
#include "tests/test_support.h"

namespace {
struct VersionCase {
  int version;
  const char* rootValue;
  int tables;
};
const VersionCase kVersions[] = {
    {3, "VersionThreePointFourPointFive", 73}, {4, "VersionFourPointZero", 62}, {5, "VersionFivePointZero", 63}};

// A template written to a scratch file and loaded, with an engine bound to it.
struct LoadedTemplate {
  explicit LoadedTemplate(int version) {
    WriteTextFile(dir.Path("pfConfig"), VersionTemplate(version));
    root = source.LoadAttributesFromFile(dir.Path("pfConfig").c_str());
  }
  tTable Table(const char* name) {
    tTable table;
    EXPECT_EQ(OpenTable(root, name, table), S_OK) << name;
    return table;
  }
  std::vector<std::string> Select(const std::string& statement) {
    ResultSet results;
    std::vector<std::string> rows;
    if (engine.Query(statement.c_str(), &results) != S_OK) return rows;
    while (tQueryString* row = results.Next()) rows.push_back(row->text.c_str());
    return rows;
  }

  ScratchDir dir;
  tConfigSource source;
  tAtrribute* root = nullptr;
  tSqlQueryEngine engine{&source};
};

int Fields(const tAtrribute* section) { return tString(section->value).CountFields('|'); }

// The template as the layout rules write the loaded tree.
std::string LaidOut(tAtrribute* root) {
  std::ostringstream text;
  text << "Root " << root->value.c_str() << "\n{\n";
  for (int i = 0; i < root->ChildCount(); ++i) {
    tAtrribute* table = root->ChildAt(i);
    std::string name = table->value.c_str();
    bool shortTypes = name == "ParameterDefaults" || name == "ParametersSavedInDisplays";
    text << "  Table " << name << "\n" << std::string(37, ' ') << "{\n"
         << std::string(40, ' ') << "TableDefinition " << table->ChildAt(0)->value.c_str() << "\n"
         << std::string(shortTypes ? 4 : 40, ' ') << "TableType " << table->ChildAt(1)->value.c_str() << "\n"
         << std::string(40, ' ') << "TableContents\n" << std::string(37, ' ') << "}\n";
  }
  return text.str() + "}\n";
}
}  // namespace

TEST(VersionTemplate, LoadsIntoItsRootWithEmptyThreeSectionTables) {
  for (const VersionCase& expected : kVersions) {
    SCOPED_TRACE(expected.version);
    LoadedTemplate loaded(expected.version);
    ASSERT_NE(loaded.root, nullptr);
    EXPECT_STREQ(loaded.root->value.c_str(), expected.rootValue);
    EXPECT_STREQ(VersionName(expected.version), expected.rootValue);
    EXPECT_EQ(VersionFromName(expected.rootValue), expected.version);
    ASSERT_EQ(loaded.root->ChildCount(), expected.tables);
    for (int i = 0; i < loaded.root->ChildCount(); ++i) {
      tAtrribute* table = loaded.root->ChildAt(i);
      EXPECT_STREQ(table->name.c_str(), "Table");
      ASSERT_EQ(table->ChildCount(), 3) << table->value.c_str();
      EXPECT_STREQ(table->ChildAt(0)->name.c_str(), "TableDefinition");
      EXPECT_STREQ(table->ChildAt(1)->name.c_str(), "TableType");
      EXPECT_STREQ(table->ChildAt(2)->name.c_str(), "TableContents");
      EXPECT_STREQ(table->ChildAt(2)->value.c_str(), "");
      EXPECT_EQ(table->ChildAt(2)->ChildCount(), 0);
    }
    EXPECT_EQ(VersionTemplate(expected.version), LaidOut(loaded.root));
  }
  EXPECT_EQ(VersionName(7), nullptr);
  EXPECT_EQ(VersionFromName("VersionSixPointZero"), 0);
  EXPECT_EQ(VersionTemplate(7), "");
}

// Only these tables have type lists of another length than their column lists.
TEST(VersionTemplate, OnlyKnownTablesHaveUnevenTypeLists) {
  const std::vector<std::vector<std::string>> uneven = {
      {"DisplayDefaults|7|3", "ToolPositions|7|3", "ParametersSavedInDisplays|70|69"},
      {"DisplayDefaults|7|3", "ToolPositions|7|3", "ParametersSavedInDisplays|70|69", "AutomatedProcesses|7|6",
       "ReferenceCurves|5|6", "Macros|4|3"}};
  for (int version : {3, 4, 5}) {
    LoadedTemplate loaded(version);
    std::vector<std::string> found;
    for (int i = 0; i < loaded.root->ChildCount(); ++i) {
      tAtrribute* table = loaded.root->ChildAt(i);
      int columns = Fields(table->ChildAt(0)), types = Fields(table->ChildAt(1));
      if (columns != types)
        found.push_back(std::string(table->value.c_str()) + "|" + std::to_string(columns) + "|" + std::to_string(types));
    }
    std::vector<std::string> expected = uneven[version == 3];
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected) << version;
  }
}

TEST(VersionTemplate, VersionsDifferOnlyWhereTheyShould) {
  const std::string& five = VersionTemplate(5);
  EXPECT_EQ(five.find("VersionFourPointZero"), std::string::npos);
  EXPECT_EQ(&five, &VersionTemplate(5));

  LoadedTemplate three(3), four(4), fiveLoaded(5);
  EXPECT_STREQ(fiveLoaded.root->ChildAt(62)->value.c_str(), "VexaActiveXControls");
  EXPECT_STREQ(three.Table("Constants").types->value.c_str(), "string|string|float|string|string");
  EXPECT_STREQ(four.Table("Constants").types->value.c_str(),
               "string|listQuery(select Value from SystemValues where Name = 'ParamType')|string|string|string");
  // Version 3 adds eleven tables behind the ones they follow; the rest are version 4's, in its order.
  std::vector<std::string> threeNames, fourNames;
  for (int i = 0; i < three.root->ChildCount(); ++i) threeNames.push_back(three.root->ChildAt(i)->value.c_str());
  for (int i = 0; i < four.root->ChildCount(); ++i) fourNames.push_back(four.root->ChildAt(i)->value.c_str());
  EXPECT_EQ(std::vector<std::string>(threeNames.begin() + 4, threeNames.begin() + 10),
            (std::vector<std::string>{"FlutterSummaryLog", "AttachedDataDisplays", "AutomatedProcesses",
                                      "AutomatedProcessState", "DataStorageInformation", "CurrentFlightInformation"}));
  EXPECT_EQ(threeNames[71], "AircraftReference");
  const std::vector<std::string> added = {"AttachedDataDisplays", "AutomatedProcesses", "AutomatedProcessState",
                                          "CurrentFlightInformation", "DataStorageLog", "DataDropOutLog",
                                          "ReferenceCurves", "HardCopyLog", "HardCopyBanners", "Macros",
                                          "AircraftReference"};
  for (const std::string& name : added)
    threeNames.erase(std::remove(threeNames.begin(), threeNames.end(), name), threeNames.end());
  EXPECT_EQ(threeNames, fourNames);
}

TEST(UpgradeStatements, CompleteEveryVersionAlike) {
  const int tablesAfter[] = {96, 86, 86};
  for (const VersionCase& version : kVersions) {
    SCOPED_TRACE(version.version);
    LoadedTemplate loaded(version.version);
    EXPECT_EQ(RunUpgradeStatements(loaded.engine), std::vector<std::string>{});
    EXPECT_EQ(loaded.root->ChildCount(), tablesAfter[version.version - 3]);

    EXPECT_EQ(loaded.Select("select * from TableFilters"),
              (std::vector<std::string>{
                  "|||ParameterDefaults|Tpp|DataSourceType = 'Tpp'|Show only Tpp parameters|",
                  "|||ParameterDefaults|Derived|DataSourceType = 'Derived'|Show only derived parameters|",
                  "|||ParameterDefaults|Kep|DataSourceType = 'Kep'|Show only Kep parameters|"}));
    std::vector<std::string> units = loaded.Select("select * from UnitConversions");
    ASSERT_EQ(units.size(), 107u);
    EXPECT_EQ(units[0], "RAD|GRAD|63.6619772368|");
    EXPECT_EQ(units[3], "RAD|MRAD|0.001|");
    EXPECT_EQ(units[106], "MILE/HR2|KM/HR2|1.609344|");
    EXPECT_EQ(loaded.Select("select * from LogBehavior"), std::vector<std::string>{"TestPointLog|No|No|"});
    // Everything added was committed.
    EXPECT_EQ(loaded.Select("select * from UnitConversions where System.RowState = Unchanged").size(), 107u);

    tTable constants = loaded.Table("Constants");
    EXPECT_STREQ(constants.definition->value.c_str(), "ConstantName|Type|Value|Units|PropertyBag");
    EXPECT_STREQ(constants.types->value.c_str(),
                 "String|listQuery(select Value from SystemValues where Name = 'ParamType')|String|String|String");
    EXPECT_STREQ(loaded.Table("PlannedTestPoints").definition->value.c_str(),
                 "Group|SubGroup|TestPoint|Description|Maneuver|AircraftConfig|FlightConditions|PredictedResults|"
                 "PropertyBag");
    EXPECT_STREQ(loaded.Table("Macros").definition->value.c_str(),
                 version.version == 3 ? "Group|Macro|Command|PropertyBag"
                                      : "Group|Subgroup|User|Name|Arguments|PropertyBag");
  }
}
