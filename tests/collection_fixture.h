// A configuration with the tables of the typed collections, and helpers for
// automation values.
#pragma once
#include <string>
#include <vector>

#include "automation/module_lock.h"
#include "platform/variant.h"
#include "store/str_copy.h"
#include "tests/query_fixture.h"

// The 69 columns of the parameter-defaults table.
inline std::string ParameterDefaultsColumns() {
  return "ParameterDefaults|Parameter|ParamType|ParamGroup|ParamSubGroup|ShortName|LongName|Units|Color|Width|"
         "DataSourceType|DataSourceArguement|UpdateRate|LLNegative|LLPositive|TScaleRangeMin|TScaleRangeMax|"
         "TScaleAuto|FScaleRangeMin|FScaleRangeMax|FScaleAuto|WThreshRangeMin|WThreshRangeMax|WThreshColor|"
         "WThreshLabel|WThreshLineWidth|AThreshRangeMin|AThreshRangeMax|AThreshColor|AThreshLabel|AThreshLineWidth|"
         "FilterActive|FilterAlgorithm|FilterPassType|FilterLowCutoff|FilterHighCutoff|FilterOrder|"
         "WildPointRangeMin|WildPointRangeMax|WildPointCorMethod|WildPointCorValue|SignChange|NullCorrection|"
         "NullBaseline|NullAverage|NullBias|NullGroup|SpikeDetectionMethod|SpikeCorMethod|SpikeChangeLimit|"
         "TriggerCondition|AutoAnalysisType|ActivationOption|AutoBlockSize|PercentReduction|AutoFreqCalc|Frequency|"
         "UserFactor|ComputeType|ExcitationSignal|WindowType|Alpha|AveragingMethod|Overlap|BlocksPerAverage|"
         "BlockSize|StringLookupTable|UniqueIdStr|PropertyBag";
}

// A table whose column types are all String.
inline std::string StringTable(const std::string& name, const std::string& columns,
                               const std::vector<std::string>& rows = {}) {
  std::string types = "String";
  for (char c : columns)
    if (c == '|') types += "|String";
  return TableText(name, columns, types, rows);
}

// Stands in for the configuration object that owns the engine.
struct CountingOwner : IUnknown {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  ULONG references = 0;
};

// A variant that frees what it holds.
struct Var : VARIANT {
  Var() { VariantInit(this); }
  explicit Var(const wchar_t* text) : Var() { vt = VT_BSTR, bstrVal = SysAllocString(text); }
  explicit Var(int index) : Var() { vt = VT_I4, lVal = index; }
  explicit Var(double number) : Var() { vt = VT_R8, dblVal = number; }
  ~Var() { VariantClear(this); }
};

// The narrow text of an automation string, which is freed.
inline std::string Take(BSTR text) {
  tString narrow;
  TStringFromBstr(text, narrow);
  SysFreeString(text);
  return narrow.c_str();
}

template <class Collection>
LONG CountOf(Collection* collection) {
  LONG count = -1;
  collection->get_Count(&count);
  return count;
}
