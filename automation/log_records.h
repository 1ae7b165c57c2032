// The log-record collections and their items: Events, Thresholds, Testpoints,
// Selections and PlannedTestPoints.
#pragma once
#include "automation/component_ids.h"
#include "automation/connection_points.h"
#include "automation/log_collection.h"
#include "automation/vexa_enums.h"

#define VEXA_EVENT_PROPERTIES(X, C) \
  X(C, 1, Group, BSTR)              \
  X(C, 2, SubGroup, BSTR)           \
  X(C, 3, User, BSTR)               \
  X(C, 4, IrigTime, BSTR)           \
  X(C, 5, Name, BSTR)               \
  X(C, 6, PropBag, BSTR)

#define VEXA_THRESHOLD_PROPERTIES(X, C) \
  X(C, 1, Group, BSTR)                  \
  X(C, 2, SubGroup, BSTR)               \
  X(C, 3, User, BSTR)                   \
  X(C, 4, Level, VexaThresholdLevel)    \
  X(C, 5, AnalysisWindowName, BSTR)     \
  X(C, 6, DisplayType, BSTR)            \
  X(C, 7, ParameterName, BSTR)          \
  X(C, 8, IrigTimeAtBreak, BSTR)        \
  X(C, 9, ValueAtBreak, double)         \
  X(C, 10, DisplayName, BSTR)           \
  X(C, 11, Comment, BSTR)               \
  X(C, 12, PropBag, BSTR)

#define VEXA_TESTPOINT_PROPERTIES(X, C) \
  X(C, 1, Group, BSTR)                  \
  X(C, 2, SubGroup, BSTR)               \
  X(C, 3, User, BSTR)                   \
  X(C, 4, Testpoint, BSTR)              \
  X(C, 5, Description, BSTR)            \
  X(C, 6, Maneuver, BSTR)               \
  X(C, 7, StartTime, BSTR)              \
  X(C, 8, StopTime, BSTR)               \
  X(C, 9, PropBag, BSTR)

#define VEXA_SELECTION_PROPERTIES(X, C) \
  X(C, 1, Group, BSTR)                  \
  X(C, 2, SubGroup, BSTR)               \
  X(C, 3, User, BSTR)                   \
  X(C, 4, IrigTime, BSTR)               \
  X(C, 5, Value, double)                \
  X(C, 6, Parameter, BSTR)              \
  X(C, 7, Filter, BSTR)                 \
  X(C, 8, Display, BSTR)                \
  X(C, 9, Comment, BSTR)                \
  X(C, 10, PropBag, BSTR)

#define VEXA_PLANNED_TEST_POINT_PROPERTIES(X, C) \
  X(C, 1, Group, BSTR)                           \
  X(C, 2, SubGroup, BSTR)                        \
  X(C, 3, User, BSTR)                            \
  X(C, 4, Testpoint, BSTR)                       \
  X(C, 5, Description, BSTR)                     \
  X(C, 6, Maneuver, BSTR)                        \
  X(C, 7, AircraftConfig, BSTR)                  \
  X(C, 8, FlightConditions, BSTR)                \
  X(C, 9, PredictedResults, BSTR)                \
  X(C, 10, PropBag, BSTR)

struct IEvent : IDispatch {
  static constexpr const IID* kIid = &IID_IEvent;
  static const DispatchTable kDispatch;
  VEXA_EVENT_PROPERTIES(VEXA_PURE_PROPERTY, )
};

struct IThreshold : IDispatch {
  static constexpr const IID* kIid = &IID_IThreshold;
  static const DispatchTable kDispatch;
  VEXA_THRESHOLD_PROPERTIES(VEXA_PURE_PROPERTY, )
};

struct ITestpoint : IDispatch {
  static constexpr const IID* kIid = &IID_ITestpoint;
  static const DispatchTable kDispatch;
  VEXA_TESTPOINT_PROPERTIES(VEXA_PURE_PROPERTY, )
};

struct ISelection : IDispatch {
  static constexpr const IID* kIid = &IID_ISelection;
  static const DispatchTable kDispatch;
  VEXA_SELECTION_PROPERTIES(VEXA_PURE_PROPERTY, )
};

struct IPlannedTestPoint : IDispatch {
  static constexpr const IID* kIid = &IID_IPlannedTestPoint;
  static const DispatchTable kDispatch;
  VEXA_PLANNED_TEST_POINT_PROPERTIES(VEXA_PURE_PROPERTY, )
};

struct IEvents : IDispatch {
  static constexpr const IID* kIid = &IID_IEvents;
  static const DispatchTable kDispatch;
  VEXA_COLLECTION_SLOTS(IEvent, BSTR Name, BSTR IrigTime)
};

struct IThresholds : IDispatch {
  static constexpr const IID* kIid = &IID_IThresholds;
  static const DispatchTable kDispatch;
  VEXA_COLLECTION_SLOTS(IThreshold, BSTR ParameterName, BSTR IrigTimeAtBreak, VexaThresholdLevel Level)
};

struct ITestpoints : IDispatch {
  static constexpr const IID* kIid = &IID_ITestpoints;
  static const DispatchTable kDispatch;
  VEXA_COLLECTION_SLOTS(ITestpoint, BSTR Testpoint, BSTR StartTime, BSTR StopTime)
};

struct ISelections : IDispatch {
  static constexpr const IID* kIid = &IID_ISelections;
  static const DispatchTable kDispatch;
  VEXA_COLLECTION_SLOTS(ISelection, BSTR ParameterName, BSTR IrigTime, double Value)
};

struct IPlannedTestPoints : IDispatch {
  static constexpr const IID* kIid = &IID_IPlannedTestPoints;
  static const DispatchTable kDispatch;
  VEXA_COLLECTION_SLOTS(IPlannedTestPoint, BSTR Testpoint)
};

namespace EventField {
enum : int { VEXA_EVENT_PROPERTIES(VEXA_FIELD_INDEX, ) Count };
}
namespace ThresholdField {
enum : int { VEXA_THRESHOLD_PROPERTIES(VEXA_FIELD_INDEX, ) Count };
}
namespace TestpointField {
enum : int { VEXA_TESTPOINT_PROPERTIES(VEXA_FIELD_INDEX, ) Count };
}
namespace SelectionField {
enum : int { VEXA_SELECTION_PROPERTIES(VEXA_FIELD_INDEX, ) Count };
}
namespace PlannedTestPointField {
enum : int { VEXA_PLANNED_TEST_POINT_PROPERTIES(VEXA_FIELD_INDEX, ) Count };
}

class Event final : public WithConnectionPoint<RecordItem<IEvent>, DIID__IEventEvents> {
 public:
  Event() : WithConnectionPoint(EventField::Count) {}
  VEXA_EVENT_PROPERTIES(VEXA_PROPERTY_OVERRIDE, EventField)
};

class Threshold final : public RecordItem<IThreshold> {
 public:
  Threshold() : RecordItem(ThresholdField::Count) {}
  VEXA_THRESHOLD_PROPERTIES(VEXA_PROPERTY_OVERRIDE, ThresholdField)
};

class Testpoint final : public RecordItem<ITestpoint> {
 public:
  Testpoint() : RecordItem(TestpointField::Count) {}
  VEXA_TESTPOINT_PROPERTIES(VEXA_PROPERTY_OVERRIDE, TestpointField)
};

class Selection final : public RecordItem<ISelection> {
 public:
  Selection();
  VEXA_SELECTION_PROPERTIES(VEXA_PROPERTY_OVERRIDE, SelectionField)
};

class PlannedTestPoint final : public RecordItem<IPlannedTestPoint> {
 public:
  PlannedTestPoint() : RecordItem(PlannedTestPointField::Count) {}
  VEXA_PLANNED_TEST_POINT_PROPERTIES(VEXA_PROPERTY_OVERRIDE, PlannedTestPointField)
};

extern const LogTable kEventMarkerLog;
extern const LogTable kThresholdLog;
extern const LogTable kTestPointLog;
extern const LogTable kSelectionsLog;
extern const LogTable kPlannedTestPoints;

class Events final
    : public WithConnectionPoint<LogCollection<IEvents, IEvent, Event, kEventMarkerLog>, DIID__IEventsEvents> {
 public:
  HRESULT STDMETHODCALLTYPE Add(BSTR Name, BSTR IrigTime, IEvent** item) override;
};

class Thresholds final : public LogCollection<IThresholds, IThreshold, Threshold, kThresholdLog> {
 public:
  HRESULT STDMETHODCALLTYPE Add(BSTR ParameterName, BSTR IrigTimeAtBreak, VexaThresholdLevel Level, IThreshold** item) override;
};

class Testpoints final : public LogCollection<ITestpoints, ITestpoint, Testpoint, kTestPointLog> {
 public:
  HRESULT STDMETHODCALLTYPE Add(BSTR Testpoint, BSTR StartTime, BSTR StopTime, ITestpoint** item) override;
};

class Selections final : public LogCollection<ISelections, ISelection, Selection, kSelectionsLog> {
 public:
  HRESULT STDMETHODCALLTYPE Add(BSTR ParameterName, BSTR IrigTime, double Value, ISelection** item) override;
};

class PlannedTestPoints final
    : public LogCollection<IPlannedTestPoints, IPlannedTestPoint, PlannedTestPoint, kPlannedTestPoints> {
 public:
  HRESULT STDMETHODCALLTYPE Add(BSTR Testpoint, IPlannedTestPoint** item) override;
};
