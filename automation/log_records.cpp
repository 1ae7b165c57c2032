#include "automation/log_records.h"

#include <iterator>

namespace {
constexpr DispatchMember kEventMembers[] = {VEXA_EVENT_PROPERTIES(VEXA_DISPATCH_PROPERTY, IEvent)};
constexpr DispatchMember kThresholdMembers[] = {VEXA_THRESHOLD_PROPERTIES(VEXA_DISPATCH_PROPERTY, IThreshold)};
constexpr DispatchMember kTestpointMembers[] = {VEXA_TESTPOINT_PROPERTIES(VEXA_DISPATCH_PROPERTY, ITestpoint)};
constexpr DispatchMember kSelectionMembers[] = {VEXA_SELECTION_PROPERTIES(VEXA_DISPATCH_PROPERTY, ISelection)};
constexpr DispatchMember kPlannedTestPointMembers[] = {
    VEXA_PLANNED_TEST_POINT_PROPERTIES(VEXA_DISPATCH_PROPERTY, IPlannedTestPoint)};
constexpr auto kEventsMembers = CollectionMembers<IEvents>();
constexpr auto kThresholdsMembers = CollectionMembers<IThresholds>();
constexpr auto kTestpointsMembers = CollectionMembers<ITestpoints>();
constexpr auto kSelectionsMembers = CollectionMembers<ISelections>();
constexpr auto kPlannedTestPointsMembers = CollectionMembers<IPlannedTestPoints>();

constexpr CellFormat kText = CellFormat::Text;

namespace E = EventField;
constexpr LogColumn kEventColumns[] = {{E::Group, kText},    {E::SubGroup, kText}, {E::User, kText},
                                       {E::IrigTime, kText}, {E::Name, kText},     {E::PropBag, kText}};

namespace T = ThresholdField;
constexpr LogColumn kThresholdColumns[] = {
    {T::Group, kText},           {T::SubGroup, kText},
    {T::User, kText},            {T::Level, CellFormat::EnumText, &kThresholdLevelTexts},
    {T::AnalysisWindowName, kText}, {T::DisplayType, kText},
    {T::ParameterName, kText},   {T::IrigTimeAtBreak, kText},
    {T::ValueAtBreak, CellFormat::Real}, {T::DisplayName, kText},
    {T::Comment, kText},         {T::PropBag, kText}};

namespace P = TestpointField;
constexpr LogColumn kTestpointColumns[] = {{P::Group, kText},       {P::SubGroup, kText}, {P::User, kText},
                                           {P::Testpoint, kText},   {P::Description, kText},
                                           {P::Maneuver, kText},    {P::StartTime, kText},
                                           {P::StopTime, kText},    {P::PropBag, kText}};

namespace S = SelectionField;
constexpr LogColumn kSelectionColumns[] = {{S::Group, kText},    {S::SubGroup, kText},
                                           {S::User, kText},     {S::IrigTime, kText},
                                           {S::Value, CellFormat::Real}, {S::Parameter, kText},
                                           {S::Filter, kText},   {S::Display, kText},
                                           {S::Comment, kText},  {S::PropBag, kText}};

// Planned test points live in the table PlannedTestPoints, whose columns carry
// the properties of the same names; it has no User column, so User stays in
// memory only.
namespace N = PlannedTestPointField;
constexpr LogColumn kPlannedTestPointColumns[] = {
    {N::Group, kText},          {N::SubGroup, kText},         {N::Testpoint, kText},
    {N::Description, kText},    {N::Maneuver, kText},         {N::AircraftConfig, kText},
    {N::FlightConditions, kText}, {N::PredictedResults, kText}, {N::PropBag, kText}};
}  // namespace

const DispatchTable IEvent::kDispatch{kEventMembers};
const DispatchTable IThreshold::kDispatch{kThresholdMembers};
const DispatchTable ITestpoint::kDispatch{kTestpointMembers};
const DispatchTable ISelection::kDispatch{kSelectionMembers};
const DispatchTable IPlannedTestPoint::kDispatch{kPlannedTestPointMembers};
const DispatchTable IEvents::kDispatch{kEventsMembers};
const DispatchTable IThresholds::kDispatch{kThresholdsMembers};
const DispatchTable ITestpoints::kDispatch{kTestpointsMembers};
const DispatchTable ISelections::kDispatch{kSelectionsMembers};
const DispatchTable IPlannedTestPoints::kDispatch{kPlannedTestPointsMembers};

const LogTable kEventMarkerLog{"Select * from EventMarkerLog", "Delete * from EventMarkerLog",
                               "update EventMarkerLog set * = ", kEventColumns, std::size(kEventColumns), E::Name};
const LogTable kThresholdLog{"Select * from ThresholdLog", "Delete * from ThresholdLog", "update ThresholdLog set * = ",
                             kThresholdColumns, std::size(kThresholdColumns), T::ParameterName};
const LogTable kTestPointLog{"Select * from TestPointLog", "Delete * from TestpointLog", "update TestPointLog set * = ",
                             kTestpointColumns, std::size(kTestpointColumns), P::Testpoint};
const LogTable kSelectionsLog{"Select * from SelectionsLog", "Delete * from SelectionsLog",
                              "update SelectionsLog set * = ", kSelectionColumns, std::size(kSelectionColumns),
                              S::Parameter};
const LogTable kPlannedTestPoints{"Select * from PlannedTestPoints", "Delete * from PlannedTestPoints",
                                  "update PlannedTestPoints set * = ", kPlannedTestPointColumns,
                                  std::size(kPlannedTestPointColumns), N::Testpoint};

Selection::Selection() : RecordItem(SelectionField::Count) { Field(S::Value).real = 666.0; }

HRESULT STDMETHODCALLTYPE Events::Add(BSTR name, BSTR irigTime, IEvent** item) {
  return AddItem(item, [&](Event& added) { return FirstFailure({added.put_Name(name), added.put_IrigTime(irigTime)}); });
}

HRESULT STDMETHODCALLTYPE Thresholds::Add(BSTR parameterName, BSTR irigTimeAtBreak, VexaThresholdLevel level, IThreshold** item) {
  return AddItem(item, [&](Threshold& added) {
    return FirstFailure({added.put_ParameterName(parameterName), added.put_IrigTimeAtBreak(irigTimeAtBreak),
                         added.put_Level(level)});
  });
}

HRESULT STDMETHODCALLTYPE Testpoints::Add(BSTR testpoint, BSTR startTime, BSTR stopTime, ITestpoint** item) {
  return AddItem(item, [&](Testpoint& added) {
    return FirstFailure({added.put_Testpoint(testpoint), added.put_StartTime(startTime), added.put_StopTime(stopTime)});
  });
}

HRESULT STDMETHODCALLTYPE Selections::Add(BSTR parameterName, BSTR irigTime, double value, ISelection** item) {
  return AddItem(item, [&](Selection& added) {
    return FirstFailure({added.put_Parameter(parameterName), added.put_IrigTime(irigTime), added.put_Value(value)});
  });
}

HRESULT STDMETHODCALLTYPE PlannedTestPoints::Add(BSTR testpoint, IPlannedTestPoint** item) {
  return AddItem(item, [&](PlannedTestPoint& added) { return added.put_Testpoint(testpoint); });
}
