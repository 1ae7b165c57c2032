// Parameter defaults: the ParameterDefault record and the ParameterDefaults
// collection of one parameter set, kept in name order.
#pragma once
#include <cstddef>

#include "automation/component_ids.h"
#include "automation/connection_points.h"
#include "automation/item_collection.h"
#include "automation/record_item.h"
#include "automation/vexa_enums.h"

#define VEXA_PARAMETER_DEFAULT_PROPERTIES(X, C)                 \
  X(C, 2, Name, BSTR)                                           \
  X(C, 3, DataType, VexaDataType)                               \
  X(C, 4, Group, BSTR)                                          \
  X(C, 5, SubGroup, BSTR)                                       \
  X(C, 6, ShortName, BSTR)                                      \
  X(C, 7, LongName, BSTR)                                       \
  X(C, 8, Units, BSTR)                                          \
  X(C, 9, Color, OLE_COLOR)                                     \
  X(C, 10, Width, LONG)                                         \
  X(C, 11, DataSourceType, VexaDataSourceType)                  \
  X(C, 12, DataSourceArgument, BSTR)                            \
  X(C, 13, SampleRate, double)                                  \
  X(C, 14, LoadLimitNegative, double)                           \
  X(C, 15, LoadLimitPositive, double)                           \
  X(C, 16, TimeScaleRangeMin, double)                           \
  X(C, 17, TimeScaleRangeMax, double)                           \
  X(C, 18, TimeScaleAuto, VexaOnOrOff)                          \
  X(C, 19, FreqScaleRangeMin, double)                           \
  X(C, 20, FreqScaleRangeMax, double)                           \
  X(C, 21, FreqScaleAuto, VexaOnOrOff)                          \
  X(C, 22, WarningThreshRangeMin, double)                       \
  X(C, 23, WarningThreshRangeMax, double)                       \
  X(C, 24, WarningThreshColor, OLE_COLOR)                       \
  X(C, 25, WarningThreshLabel, BSTR)                            \
  X(C, 26, WarningThreshLineWidth, LONG)                        \
  X(C, 27, AlarmThreshRangeMin, double)                         \
  X(C, 28, AlarmThreshRangeMax, double)                         \
  X(C, 29, AlarmThreshColor, OLE_COLOR)                         \
  X(C, 30, AlarmThreshLabel, BSTR)                              \
  X(C, 31, AlarmThreshLineWidth, LONG)                          \
  X(C, 32, FilterActive, VexaYesOrNo)                           \
  X(C, 33, FilterAlgorithm, VexaFilterAlgorithm)                \
  X(C, 34, FilterPassType, VexaFilterPassType)                  \
  X(C, 35, FilterLowCutoff, double)                             \
  X(C, 36, FilterHighCutoff, double)                            \
  X(C, 37, FilterOrder, LONG)                                   \
  X(C, 38, WildPointRangeMin, double)                           \
  X(C, 39, WildPointRangeMax, double)                           \
  X(C, 40, WildPointCorrectionMethod, VexaDataCorrectionMethod) \
  X(C, 41, WildPointCorrectionValue, double)                    \
  X(C, 42, SignChange, VexaYesOrNo)                             \
  X(C, 43, NullCorrection, VexaNullCorrection)                  \
  X(C, 44, NullBaseline, double)                                \
  X(C, 66, NullBias, double)                                    \
  X(C, 45, NullGroup, VexaNullGroup)                            \
  X(C, 46, SpikeDetectionMethod, VexaSpikeDetectionMethod)      \
  X(C, 47, SpikeCorrectionMethod, VexaDataCorrectionMethod)     \
  X(C, 48, SpikeChangeLimit, double)                            \
  X(C, 49, ComputeType, VexaComputeType)                        \
  X(C, 50, ExcitationSignal, BSTR)                              \
  X(C, 51, WindowType, VexaWindowType)                          \
  X(C, 52, Alpha, VexaAlpha)                                    \
  X(C, 53, AveragingMethod, VexaAverageMethod)                  \
  X(C, 54, Overlap, double)                                     \
  X(C, 55, BlocksPerAverage, LONG)                              \
  X(C, 56, BlockSize, VexaBlockSize)                            \
  X(C, 57, StringLookupTable, BSTR)                             \
  X(C, 58, Delete, VARIANT_BOOL)

struct IParameterDefault : IDispatch {
  static constexpr const IID* kIid = &IID_IParameterDefault;
  static const DispatchTable kDispatch;
  VEXA_PARAMETER_DEFAULT_PROPERTIES(VEXA_PURE_PROPERTY, )
};

struct IParameterDefaults : IDispatch {
  static constexpr const IID* kIid = &IID_IParameterDefaults;
  static const DispatchTable kDispatch;
  virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) = 0;
  virtual HRESULT STDMETHODCALLTYPE Add(BSTR Name, VexaDataType Type, double SampleRate, IParameterDefault** item) = 0;
  virtual HRESULT STDMETHODCALLTYPE Remove(VARIANT IndexOrName) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveAll() = 0;
  virtual HRESULT STDMETHODCALLTYPE Item(VARIANT IndexOrName, IParameterDefault** item) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SetName(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE SaveTable() = 0;
};

namespace ParameterDefaultField {
enum : int { VEXA_PARAMETER_DEFAULT_PROPERTIES(VEXA_FIELD_INDEX, ) Count };
}

// Where a property lives in the ParameterDefaults table and how it is written.
struct ParameterColumn {
  int field;
  int column;
  CellFormat format;
  const EnumTexts* texts;  // for CellFormat::EnumText
  const char* fragment;    // its part of the update statement, a printf format
  double initial;          // the value of a new item (texts start empty)
};

// Every property but Delete, in declaration order.
constexpr std::size_t kParameterColumnCount = ParameterDefaultField::Delete;
extern const ParameterColumn kParameterColumns[kParameterColumnCount];

class ParameterDefault final : public WithConnectionPoint<RecordItem<IParameterDefault>, DIID__IParameterDefaultEvents> {
 public:
  ParameterDefault();
  VEXA_PARAMETER_DEFAULT_PROPERTIES(VEXA_PROPERTY_OVERRIDE, ParameterDefaultField)
};

class ParameterDefaults final
    : public WithConnectionPoint<ItemCollection<IParameterDefaults, IParameterDefault, ParameterDefault>,
                                 DIID__IParameterDefaultsEvents> {
 public:
  // The set whose rows the collection holds; an empty name fails with E_FAIL.
  HRESULT SetSetName(const tString& setName);
  // Reads the set's rows; `owner` is kept alive while the collection lives.
  void Load(tSqlQueryEngine* engine, IUnknown* owner);

  HRESULT STDMETHODCALLTYPE Add(BSTR Name, VexaDataType Type, double SampleRate, IParameterDefault** item) override;
  HRESULT STDMETHODCALLTYPE get_SetName(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE SaveTable() override;

  // The statement that SaveTable runs to write `item`; false for an item that
  // is not written (marked Delete, or without a name).
  bool InsertStatement(const ParameterDefault& item, tString& statement) const;

 private:
  int FindByName(const OLECHAR* name) const override;
  void Insert(ParameterDefault* item) override;

  tString setName_;
};
