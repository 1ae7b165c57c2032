#include "schema/upgrade_statements.h"

#include <cstddef>
#include <utility>

namespace {
struct UnitConversion {
  const char* fromUnits;
  const char* toUnits;
  const char* conversionFactor;
};

// The sequence in its order, grouped where a commit or a condition falls between statements.
const char* const kFirstCreates[] = {
    "create table ParameterAlias (VexaName String, DataSourceName String, PropertyBag String )",
    "create table RealtimeRandomDecDisplay (Name String, X Int, Y Int, Width Int, Height Int, PropertyBag String )",
    "create table ReplaceParameterLog (Date String,OriginalName String,ReplacementName String,Comment String,PropertyBag String )",
    "create table ICAWDefinitions (ICAWGroup String,ICAWSubGroup String,Parameter String,BitNumber Int,ICAW String,HoldCount Int,TriggerValue list(0,1),AlertType list(Caution,Warning,Advisory),ICFB# Int,ICAWDescription String,IptGroup String,PageNumber Int )",
    "create table UserValidationLog (User String, Name String,ValidationType String,Error String,Desktop String,AnalysisWindow String,Comment String,PropertyBag String )",
    "create table MovingMapOverlays (Name String,Group String,Shape list(Text,Polygon,Arrow,PolyLine,CurvedLine,ClosedCurve,Ellipse,Circle,Icon_Flag,Icon_Crosshair,Icon_Circle,Icon_X,Icon_Triangle,Icon_Hexagon,Icon_Airport,UserDefined),Text String,LineColor Color,LineWidth Int,LineStyle list(Solid,Dash,Dot,DashDot,DashDotDot),FillColor Color,Transparency Int,Active list(Yes,No),LatLongPairs String, PropertyBag String )",
};

const char* const kCreateTableFilters = "create table TableFilters (Group String, SubGroup String, User String, Table String, FilterName String, Filter String, Description String, PropertyBag String )";

const char* const kTableFiltersRows[] = {
    "Update TableFilters set * = |||ParameterDefaults|Tpp|DataSourceType = 'Tpp'|Show only Tpp parameters|",
    "Update TableFilters set * = |||ParameterDefaults|Derived|DataSourceType = 'Derived'|Show only derived parameters|",
    "Update TableFilters set * = |||ParameterDefaults|Kep|DataSourceType = 'Kep'|Show only Kep parameters|",
};

const char* const kMiddleStatements[] = {
    "create table EventMonitorDefinitions (EventGroup String,EventSubGroup String,EventTitle String,EventDescription String,EventArgument String,PersistCount Int,HoldCount Int,SortPriority String,Color Color,EventMarkerTrigger list(0,1),EventMarkerText String )",
    "create table zBall (zBallFileName String, FullFileName String, RefCount Int, PropertyBag String )",
    "create table TestPointLog (Group String, SubGroup String, User String, TestPoint listQuery(select Distinct TestPoint from PlannedTestPoints), Description String, Maneuver listQuery(select Distinct Maneuver from PlannedTestPoints), StartTime String, StopTime String, PropertyBag String )",
    "create table PlannedTestPoints (Group String, SubGroup String, TestPoint String, Description String, Maneuver String, AircraftConfig String, FlightConditions String, PredictedResults String, PropertyBag String )",
    "create table Maneuvers (Group String, SubGroup String, Maneuver String, Logic String, Comment String, PropertyBag String )",
    "create table FlightConditions (Group String, SubGroup String, FlightCondition String, Logic String, Comment String, PropertyBag String )",
    "create table PredictedResults (Group String, SubGroup String, PredictedResults String, Logic String, Comment String, PropertyBag String )",
    "update LogBehavior set * = TestPointLog|No|No| where LogName = 'TestPointLog'",
    "create table VexaActiveXControlDefaults ( Group String, Subgroup String, User String, Width Int, Height Int, ProgId String, PropertyBag String )",
    "create table VexaActiveXControls ( Name String, X Int, Y Int, Z Int, Width Int, Height Int, ProgId String, ParentName String, PropertyBag String )",
    "create table Macros ( Group String, Subgroup String, User String, Name String, Arguments String, PropertyBag String )",
};

const char* const kCreateUnitConversions = "create table UnitConversions ( FromUnits String, ToUnits String, ConversionFactor String, PropertyBag String )";

const UnitConversion kUnitConversions[] = {
    {"RAD", "GRAD", "63.6619772368"},
    {"RAD", "MIL", "1018.59163579"},
    {"RAD", "REV", "0.159154943092"},
    {"RAD", "MRAD", "0.001"},
    {"DEG", "GRAD", "1.11111111111"},
    {"DEG", "MIL", "17.7777777778"},
    {"DEG", "REV", "0.00277777777778"},
    {"DEG", "MRAD", "17.4532925199379"},
    {"GRAD", "MIL", "16.0"},
    {"GRAD", "REV", "0.0025"},
    {"GRAD", "MRAD", "15.707963267938636"},
    {"MIL", "REV", "0.00015625"},
    {"MIL", "MRAD", "0.981747704245"},
    {"DEG/HR", "DEG/SEC", "0.000277777777778"},
    {"DEG/HR", "RAD/SEC", "4.8481368111E-06"},
    {"DEG/HR", "REV/MIN", "4.62962962963E-05"},
    {"DEG/HR", "RPM", "4.62962962963E-05"},
    {"DEG/HR", "REV/HR", "0.00277777777778"},
    {"DEG/HR", "REV/SEC", "7.71604938272E-07"},
    {"RAD/SEC", "DEG/SEC", "57.2957795131"},
    {"RAD/SEC", "REV/MIN", "9.54929658551"},
    {"RAD/SEC", "RPM", "9.54929658551"},
    {"RAD/SEC", "REV/HR", "572.957795131"},
    {"RAD/SEC", "REV/SEC", "0.159154943092"},
    {"DEG/SEC", "REV/MIN", "0.166666666667"},
    {"DEG/SEC", "RPM", "0.166666666667"},
    {"DEG/SEC", "REV/HR", "10.0"},
    {"DEG/SEC", "REV/SEC", "0.00277777777778"},
    {"REV/MIN", "REV/HR", "60.0"},
    {"REV/MIN", "REV/SEC", "0.01666666666678"},
    {"REV/MIN", "RPM", "1.0"},
    {"REV/HR", "REV/SEC", "0.000277777777778"},
    {"REV/HR", "RPM", "0.0166666666667"},
    {"MILE", "KM", "1.609344"},
    {"MILE", "M", "1609.344"},
    {"MILE", "CM", "160934.4"},
    {"MILE", "YD", "1760.0"},
    {"MILE", "FT", "5280.0"},
    {"MILE", "IN", "63360.0"},
    {"MILE", "NM", "0.868976241901"},
    {"KM", "M", "1000.0"},
    {"KM", "CM", "100000.0"},
    {"KM", "YD", "1093.61329834"},
    {"KM", "FT", "3280.83989501"},
    {"KM", "IN", "39370.0787402"},
    {"KM", "NM", "0.539956803456"},
    {"M", "CM", "100.0"},
    {"M", "YD", "1.09361329834"},
    {"M", "FT", "3.28083989501"},
    {"M", "IN", "39.3700787402"},
    {"M", "NM", "0.000539956803456"},
    {"CM", "YD", "0.0109361329834"},
    {"CM", "FT", "0.0328083989501"},
    {"CM", "IN", "0.393700787402"},
    {"CM", "NM", "5.39956803456E-06"},
    {"YD", "FT", "3.0"},
    {"YD", "IN", "36.0"},
    {"YD", "NM", "0.00049373650108"},
    {"FT", "IN", "12.0"},
    {"FT", "NM", "0.000164578833693"},
    {"M/SEC", "KM/HR", "3.6"},
    {"M/SEC", "KNOTS", "1.94384449244"},
    {"M/SEC", "CM/SEC", "100.0"},
    {"M/SEC", "MILE/HR", "2.23693629205"},
    {"M/SEC", "FT/MIN", "196.850393701"},
    {"M/SEC", "FT/SEC", "3.28083989501"},
    {"KM/HR", "KNOTS", "0.539956803456"},
    {"KM/HR", "CM/SEC", "27.7777777778"},
    {"KM/HR", "MILE/HR", "0.6213711922"},
    {"KM/HR", "FT/MIN", "54.6806649169"},
    {"KM/HR", "FT/SEC", "0.911344415281"},
    {"KNOTS", "CM/SEC", "51.4444444444"},
    {"KNOTS", "MILE/HR", "1.15077944802"},
    {"KNOTS", "FT/MIN", "101.268591426"},
    {"KNOTS", "FT/SEC", "1.6878098571"},
    {"CM/SEC", "MILE/HR", "0.0223693629205"},
    {"CM/SEC", "FT/MIN", "1.96850393701"},
    {"CM/SEC", "FT/SEC", "0.0328083989501"},
    {"MILE/HR", "FT/MIN", "88.0"},
    {"MILE/HR", "FT/SEC", "1.46666666667"},
    {"G", "CM/SEC2", "980.665"},
    {"G", "MICRO_G", "1000000.0"},
    {"G", "M/SEC2", "9.80665"},
    {"G", "FT/SEC2", "32.1740485564"},
    {"G", "MILE/HR2", "78972.66468"},
    {"G", "IN/SEC2", "386.088582677"},
    {"G", "KM/HR2", "127094.184"},
    {"CM/SEC2", "MICRO_G", "1019.71621298"},
    {"CM/SEC2", "M/SEC2", "0.01"},
    {"CM/SEC2", "FT/SEC2", "0.0328083989501"},
    {"CM/SEC2", "MILE/HR2", "80.5297065"},
    {"CM/SEC2", "IN/SEC2", "0.393700787402"},
    {"CM/SEC2", "KM/HR2", "129.6"},
    {"MICRO_G", "M/SEC2", "0.00000980665"},
    {"MICRO_G", "FT/SEC2", "0.0000321740485564"},
    {"MICRO_G", "MILE/HR2", "0.07897266468"},
    {"MICRO_G", "IN/SEC2", "0.00038608858267"},
    {"MICRO_G", "KM/HR2", "0.127094184"},
    {"M/SEC2", "FT/SEC2", "3.28083989501"},
    {"M/SEC2", "MILE/HR2", "8052.9706514"},
    {"M/SEC2", "IN/SEC2", "39.3700787402"},
    {"M/SEC2", "KM/HR2", "12960.0"},
    {"FT/SEC2", "MILE/HR2", "2454.54545455"},
    {"FT/SEC2", "IN/SEC2", "12.0"},
    {"FT/SEC2", "KM/HR2", "3950.208"},
    {"MILE/HR2", "IN/SEC2", "0.0048888889"},
    {"MILE/HR2", "KM/HR2", "1.609344"},
};

const char* const kLastStatements[] = {
    "drop table Constants",
    "create table Constants ( ConstantName String, Type listQuery(select Value from SystemValues where Name = 'ParamType'), Value String, Units String, PropertyBag String )",
    "create table MissionAttributes ( Group String, SubGroup String, User String, AttributeName String, Value String, Type listQuery(select Value from SystemValues where Name = 'ParamType'), Units String, PropertyBag String )",
    "create table FileSearchPath ( FilePathType listQuery(select Value from SystemValues where Name = 'FileSearchPathType'), FilePathArgument String, PropertyBag String )",
    "create table CurrentTestPointChoice ( Group String, SubGroup String, User String, CurrentTestPointChoice String, PropertyBag String )",
    "create table NullCorrectionInfo ( NullGroup String, StartTime String, StopTime String, PropertyBag String )",
    "create table BlobDefinitions ( BlobName String, FieldName String, StartBit Int, StopBit Int, VexaType listQuery(select Value from SystemValues where Name = 'ParamType'), SourceType String, PropertyBag String )",
    "create table TimeSegmentLog ( StartTime String, EndTime String, Description String, PropertyBag String )",
};

class UpgradeRun {
 public:
  explicit UpgradeRun(tSqlQueryEngine& engine) : engine_(engine) {}

  HRESULT Run(const std::string& statement) {
    HRESULT status = engine_.Query(statement.c_str(), nullptr, '|');
    if (FAILED(status)) failed_.push_back(statement);
    return status;
  }
  template <std::size_t N>
  void RunAll(const char* const (&statements)[N]) {
    for (const char* statement : statements) Run(statement);
  }
  void Commit() { engine_.Commit(); }
  std::vector<std::string> TakeFailures() { return std::move(failed_); }

 private:
  tSqlQueryEngine& engine_;
  std::vector<std::string> failed_;
};
}  // namespace

std::vector<std::string> RunUpgradeStatements(tSqlQueryEngine& engine) {
  UpgradeRun run(engine);
  run.RunAll(kFirstCreates);
  // Seed rows need their table: they are added only when its create succeeded.
  bool tableFiltersReady = run.Run(kCreateTableFilters) == S_OK;
  run.Commit();
  if (tableFiltersReady) run.RunAll(kTableFiltersRows);
  run.RunAll(kMiddleStatements);
  bool unitConversionsReady = run.Run(kCreateUnitConversions) == S_OK;
  run.Commit();
  if (unitConversionsReady)
    for (const UnitConversion& row : kUnitConversions)
      run.Run(std::string("update UnitConversions set * = ") + row.fromUnits + "|" + row.toUnits + "|" +
              row.conversionFactor);
  run.RunAll(kLastStatements);
  run.Commit();
  return run.TakeFailures();
}
