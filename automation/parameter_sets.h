// Parameter sets: the ParameterSet record, which opens the parameter defaults
// of its set, and the ParameterSets collection of the table ParameterDefaultsState.
#pragma once
#include "automation/engine_binding.h"
#include "automation/component_ids.h"
#include "automation/connection_points.h"
#include "automation/item_collection.h"
#include "automation/parameter_defaults.h"
#include "automation/record_item.h"

#define VEXA_PARAMETER_SET_PROPERTIES(X, C) \
  X(C, 1, SetName, BSTR)                    \
  X(C, 2, Group, BSTR)                      \
  X(C, 3, IsActive, VARIANT_BOOL)

struct IParameterSet : IDispatch {
  static constexpr const IID* kIid = &IID_IParameterSet;
  static const DispatchTable kDispatch;
  VEXA_PARAMETER_SET_PROPERTIES(VEXA_PURE_PROPERTY, )
  virtual HRESULT STDMETHODCALLTYPE get_ParameterDefaults(IParameterDefaults** defaults) = 0;
};

struct IParameterSets : IDispatch {
  static constexpr const IID* kIid = &IID_IParameterSets;
  static const DispatchTable kDispatch;
  VEXA_COLLECTION_SLOTS(IParameterSet, BSTR SetName, BSTR Group, VARIANT_BOOL IsActive)
};

namespace ParameterSetField {
enum : int { VEXA_PARAMETER_SET_PROPERTIES(VEXA_FIELD_INDEX, ) Count };
}

class ParameterSet final : public WithConnectionPoint<RecordItem<IParameterSet>, DIID__IParameterSetEvents> {
 public:
  ParameterSet() : WithConnectionPoint(ParameterSetField::Count) {}
  VEXA_PARAMETER_SET_PROPERTIES(VEXA_PROPERTY_OVERRIDE, ParameterSetField)
  // A set that no collection has handed out has no engine and fails with E_POINTER.
  HRESULT STDMETHODCALLTYPE get_ParameterDefaults(IParameterDefaults** defaults) override;

  // The engine through which the set reads its defaults; `owner` is kept alive.
  void Bind(tSqlQueryEngine* engine, IUnknown* owner) { binding_.Bind(engine, owner); }

 private:
  EngineBinding binding_;
};

class ParameterSets final
    : public WithConnectionPoint<ItemCollection<IParameterSets, IParameterSet, ParameterSet>, DIID__IParameterSetsEvents> {
 public:
  // Reads every set; `owner` is kept alive while the collection lives.
  void Load(tSqlQueryEngine* engine, IUnknown* owner);

  HRESULT STDMETHODCALLTYPE Add(BSTR SetName, BSTR Group, VARIANT_BOOL IsActive, IParameterSet** item) override;
  HRESULT STDMETHODCALLTYPE SaveTable() override;

 private:
  int FindByName(const OLECHAR* name) const override;
  void BeforeHandOut(ParameterSet& set) override;
};
